// The four registry operations and the options read through them.
#include "lists/settings.h"

#include "lists/registry_root.h"
#include "lists/settings_table.h"
#include "platform/core/profile_name.h"
#include "platform/core/xdg_paths.h"

#include <array>
#include <cassert>
#include <charconv>
#include <limits>

namespace kvn {
namespace {

std::uint32_t settingDefault(std::string_view name)
{
    const SettingDefinition* definition = findProfileSetting(name);
    return definition != nullptr ? definition->dwordDefault : 0;
}

std::string_view settingText(std::string_view name)
{
    const SettingDefinition* definition = findProfileSetting(name);
    return definition != nullptr ? definition->stringDefault : std::string_view();
}

} // namespace

std::uint32_t readDword(std::string_view subKey, std::string_view name, std::uint32_t fallback)
{
    const std::string path = rootKeyPath(subKey);
    const std::optional<registry::Value> value
        = rootRegistry().queryValue(registryRoot().hive, path, name, std::numeric_limits<std::size_t>::max());
    if (!value)
        return fallback;
    std::array<unsigned char, 4> buffer{};
    for (std::size_t i = 0; i < 4; ++i)
        buffer[i] = static_cast<unsigned char>((fallback >> (8 * i)) & 0xFF);
    for (std::size_t i = 0; i < 4 && i < value->bytes.size(); ++i)
        buffer[i] = static_cast<unsigned char>(value->bytes[i]);
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4; ++i)
        number |= static_cast<std::uint32_t>(buffer[i]) << (8 * i);
    return number;
}

bool writeDword(std::string_view subKey, std::string_view name, std::uint32_t value)
{
    return rootRegistry().setValue(registryRoot().hive, rootKeyPath(subKey), name, registry::dwordValue(value));
}

std::string readString(std::string_view subKey, std::string_view name, std::string_view fallback)
{
    const std::optional<registry::Value> value
        = rootRegistry().queryValue(registryRoot().hive, rootKeyPath(subKey), name, longestSettingString);
    if (!value)
        return std::string(fallback);
    const std::string& bytes = value->bytes;
    return bytes.substr(0, bytes.find('\0'));
}

bool writeString(std::string_view subKey, std::string_view name, std::string_view text)
{
    if (text.size() > longestSettingString)
        return false;
    return rootRegistry().setValue(registryRoot().hive, rootKeyPath(subKey), name, registry::stringValue(text));
}

Status optionsReadStatus() { return rootRegistry().hiveStatus(registryRoot().hive); }

Status optionsWriteStatus() { return rootRegistry().writeStatus(registryRoot().hive); }

std::string profileSubKey(std::string_view profileName)
{
    const std::string key = profileName.empty() ? std::string("Default") : std::string(profileName);
    assert(checkProfileName(key).ok() && "profile names are checked where they enter the program");
    return key;
}

std::string readInstallDir() { return readString("", setting::InstallDir, defaultInstallDir()); }

std::optional<std::uint32_t> autoCleanDays(std::uint32_t stored)
{
    if (stored > longestAutoClean)
        return std::nullopt;
    return stored;
}

double parseStopTime(std::string_view text)
{
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end == text.data())
        return 30000.0;
    return number;
}

std::string formatStopTime(double oleDate)
{
    std::array<char, 400> buffer{};
    const auto [end, error]
        = std::to_chars(buffer.data(), buffer.data() + buffer.size(), oleDate, std::chars_format::fixed, 20);
    if (error != std::errc())
        return "30000.0";
    return std::string(buffer.data(), end);
}

std::int32_t reminderThresholdOf(std::uint32_t showReminder, std::uint32_t threshold)
{
    return showReminder == 1 ? static_cast<std::int32_t>(threshold) : -1;
}

Settings readSettings(std::string_view profileName)
{
    const std::string key = profileSubKey(profileName);
    const auto flag = [&](std::string_view name) { return readDword(key, name, settingDefault(name)) != 0; };
    const auto number = [&](std::string_view name) { return readDword(key, name, settingDefault(name)); };
    Settings settings;
    settings.useLogging = flag(setting::UseLogging);
    settings.lastStopTime = parseStopTime(readString(key, setting::StopTime, settingText(setting::StopTime)));
    settings.sameSender = flag(setting::SameSender);
    settings.processQuarantined = flag(setting::ProcessQWndMails);
    settings.useCountry = flag(setting::Ip2Country);
    settings.reminderThreshold = reminderThresholdOf(number(setting::ShowQWReminder), number(setting::EditQWReminder));
    return settings;
}

} // namespace kvn
