// Reading and writing a profile's permanent command bars in the registry.
#include "platform/outlook/command_bar_records.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace kvn::outlook {
namespace {

using registry::Hive;

constexpr std::size_t maxTextBytes = 64 * 1024;
constexpr std::size_t maxFaceBytes = 1024 * 1024;
constexpr int maxDepth = 4; // popups inside popups, as deep as anyone builds them

std::string textOf(registry::Registry& reg, const std::string& key, std::string_view name)
{
    auto value = reg.queryValue(Hive::CurrentUser, key, name, maxTextBytes);
    if (!value || value->type != static_cast<std::uint32_t>(registry::ValueType::String))
        return {};
    std::string text = std::move(value->bytes);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::optional<int> numberOf(registry::Registry& reg, const std::string& key, std::string_view name)
{
    const auto value = reg.queryValue(Hive::CurrentUser, key, name, 4);
    if (!value || value->type != static_cast<std::uint32_t>(registry::ValueType::Dword) || value->bytes.size() != 4)
        return std::nullopt;
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i)
        number = number << 8 | static_cast<unsigned char>(value->bytes[static_cast<std::size_t>(i)]);
    return static_cast<int>(number);
}

std::vector<CommandBarControlRecord> readControls(registry::Registry& reg, const std::string& key, int depth)
{
    std::vector<CommandBarControlRecord> controls;
    if (depth > maxDepth)
        return controls;
    const std::string parent = key + "\\Controls";
    for (const std::string& number : reg.subKeyNames(Hive::CurrentUser, parent)) {
        const std::string at = parent + "\\" + number;
        CommandBarControlRecord control;
        control.type = numberOf(reg, at, "Type").value_or(0);
        if (control.type == 0)
            continue;
        control.caption = textOf(reg, at, "Caption");
        control.tooltipText = textOf(reg, at, "TooltipText");
        control.tag = textOf(reg, at, "Tag");
        control.style = numberOf(reg, at, "Style").value_or(0);
        control.enabled = numberOf(reg, at, "Enabled").value_or(1) != 0;
        control.visible = numberOf(reg, at, "Visible").value_or(1) != 0;
        if (const auto face = reg.queryValue(Hive::CurrentUser, at, "Face", maxFaceBytes))
            control.face = face->bytes;
        control.controls = readControls(reg, at, depth + 1);
        controls.push_back(std::move(control));
    }
    return controls;
}

bool writeControls(
    registry::Registry& reg, const std::string& key, const std::vector<CommandBarControlRecord>& controls)
{
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const CommandBarControlRecord& control = controls[i];
        const std::string at = key + "\\Controls\\" + std::to_string(i + 1);
        const bool written = reg.setValue(Hive::CurrentUser, at, "Style", registry::dwordValue(control.style))
            && reg.setValue(Hive::CurrentUser, at, "Enabled", registry::dwordValue(control.enabled))
            && reg.setValue(Hive::CurrentUser, at, "Visible", registry::dwordValue(control.visible))
            && reg.setValue(Hive::CurrentUser, at, "Caption", registry::stringValue(control.caption))
            && reg.setValue(Hive::CurrentUser, at, "TooltipText", registry::stringValue(control.tooltipText))
            && reg.setValue(Hive::CurrentUser, at, "Tag", registry::stringValue(control.tag))
            && (control.face.empty()
                || reg.setValue(Hive::CurrentUser, at, "Face",
                    {static_cast<std::uint32_t>(registry::ValueType::Binary), control.face}))
            && writeControls(reg, at, control.controls)
            && reg.setValue(Hive::CurrentUser, at, "Type", registry::dwordValue(control.type));
        if (!written)
            return false;
    }
    return true;
}

// The stored keys (numbers) holding a bar of that name; every one when name is empty.
std::vector<std::string> keysNamed(registry::Registry& reg, const std::string& root, std::string_view name)
{
    std::vector<std::string> keys;
    for (const std::string& number : reg.subKeyNames(Hive::CurrentUser, root))
        if (textOf(reg, root + "\\" + number, "Name") == name)
            keys.push_back(number);
    return keys;
}

std::uint64_t freshNumber(registry::Registry& reg, const std::string& root)
{
    std::uint64_t highest = 0;
    for (const std::string& number : reg.subKeyNames(Hive::CurrentUser, root)) {
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error == std::errc() && end == number.data() + number.size())
            highest = std::max(highest, value);
    }
    return highest + 1;
}

bool deleteKeys(registry::Registry& reg, const std::string& root, const std::vector<std::string>& numbers)
{
    bool ok = true;
    for (const std::string& number : numbers)
        if (!reg.deleteKey(Hive::CurrentUser, root + "\\" + number) && !reg.writeStatus(Hive::CurrentUser).ok())
            ok = false;
    return ok;
}

} // namespace

std::string commandBarsKey(std::string_view profile)
{
    return "Software\\Brindlecraft\\KVN Host\\Profiles\\" + std::string(profile) + "\\CommandBars";
}

std::vector<CommandBarRecord> loadCommandBars(registry::Registry& reg, std::string_view profile)
{
    const std::string root = commandBarsKey(profile);
    std::vector<CommandBarRecord> bars;
    for (const std::string& number : reg.subKeyNames(Hive::CurrentUser, root)) {
        const std::string key = root + "\\" + number;
        CommandBarRecord bar;
        bar.name = textOf(reg, key, "Name");
        if (bar.name.empty())
            continue;
        bar.position = numberOf(reg, key, "Position").value_or(1);
        bar.visible = numberOf(reg, key, "Visible").value_or(0) != 0;
        bar.controls = readControls(reg, key, 0);
        const auto same = std::find_if(bars.begin(), bars.end(), [&](const auto& b) { return b.name == bar.name; });
        if (same != bars.end())
            *same = std::move(bar);
        else
            bars.push_back(std::move(bar));
    }
    return bars;
}

bool saveCommandBar(registry::Registry& reg, std::string_view profile, const CommandBarRecord& bar)
{
    const std::string root = commandBarsKey(profile);
    // Older copies of the bar, and saves of any bar that did not finish.
    std::vector<std::string> older = keysNamed(reg, root, bar.name);
    for (std::string& unfinished : keysNamed(reg, root, ""))
        older.push_back(std::move(unfinished));
    const std::string key = root + "\\" + std::to_string(freshNumber(reg, root));
    const bool written = reg.setValue(Hive::CurrentUser, key, "Position", registry::dwordValue(bar.position))
        && reg.setValue(Hive::CurrentUser, key, "Visible", registry::dwordValue(bar.visible))
        && writeControls(reg, key, bar.controls)
        && reg.setValue(Hive::CurrentUser, key, "Name", registry::stringValue(bar.name));
    if (!written) {
        (void)reg.deleteKey(Hive::CurrentUser, key);
        return false;
    }
    return deleteKeys(reg, root, older);
}

bool deleteCommandBar(registry::Registry& reg, std::string_view profile, std::string_view name)
{
    const std::string root = commandBarsKey(profile);
    return deleteKeys(reg, root, keysNamed(reg, root, name));
}

} // namespace kvn::outlook
