// Reading and writing a profile's Outlook-bar groups in the registry.
#include "platform/outlook/outlook_bar_store.h"

#include <algorithm>

namespace kvn::outlook {
namespace {

using registry::Hive;

constexpr std::size_t maxValueBytes = 1024 * 1024;
constexpr std::uint32_t multiString = static_cast<std::uint32_t>(registry::ValueType::MultiString);

std::string textOf(const registry::Value& value)
{
    std::string text = value.bytes;
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

// The strings of a REG_MULTI_SZ: NUL-terminated, ended by an empty one.
std::vector<std::string> multiStrings(const std::string& bytes)
{
    std::vector<std::string> strings;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = std::min(bytes.find('\0', at), bytes.size());
        if (end == at)
            break;
        strings.push_back(bytes.substr(at, end - at));
        at = end + 1;
    }
    return strings;
}

registry::Value multiStringValue(const std::vector<OutlookBarShortcutRecord>& shortcuts)
{
    std::string bytes;
    for (const OutlookBarShortcutRecord& shortcut : shortcuts)
        bytes.append(shortcut.name).append(1, '\0').append(formatFolderPath(shortcut.target)).append(1, '\0');
    bytes.append(1, '\0');
    return {multiString, std::move(bytes)};
}

OutlookBarGroupRecord readGroup(registry::Registry& reg, const std::string& key)
{
    OutlookBarGroupRecord group;
    if (auto name = reg.queryValue(Hive::CurrentUser, key, "Name", maxValueBytes))
        group.name = textOf(*name);
    const auto shortcuts = reg.queryValue(Hive::CurrentUser, key, "Shortcuts", maxValueBytes);
    if (!shortcuts || shortcuts->type != multiString)
        return group;
    const std::vector<std::string> strings = multiStrings(shortcuts->bytes);
    for (std::size_t i = 0; i + 1 < strings.size(); i += 2)
        group.shortcuts.push_back({strings[i], parseFolderPath(strings[i + 1])});
    return group;
}

bool writeGroup(registry::Registry& reg, const std::string& key, const OutlookBarGroupRecord& group)
{
    return reg.setValue(Hive::CurrentUser, key, "Name", registry::stringValue(group.name))
        && reg.setValue(Hive::CurrentUser, key, "Shortcuts", multiStringValue(group.shortcuts));
}

} // namespace

std::string outlookBarKey(std::string_view profile)
{
    return "Software\\Brindlecraft\\KVN Host\\Profiles\\" + std::string(profile) + "\\OutlookBar";
}

std::vector<OutlookBarGroupRecord> defaultOutlookBarGroups(const std::vector<StoreConfig>& stores)
{
    OutlookBarGroupRecord group{"Outlook Shortcuts", {}};
    if (!stores.empty()) {
        const StoreConfig& store = stores.front();
        group.shortcuts
            = {{"Inbox", {store.displayName, "Inbox"}}, {"Sent Items", {store.displayName, store.sentFolder}},
                {"Deleted Items", {store.displayName, store.trashFolder}}};
    }
    return {group};
}

std::vector<OutlookBarGroupRecord> loadOutlookBarGroups(
    registry::Registry& reg, std::string_view profile, const std::vector<StoreConfig>& stores)
{
    const std::string key = outlookBarKey(profile);
    const std::vector<std::string> numbers = reg.subKeyNames(Hive::CurrentUser, key);
    if (numbers.empty())
        return defaultOutlookBarGroups(stores);
    std::vector<OutlookBarGroupRecord> groups;
    for (const std::string& number : numbers)
        groups.push_back(readGroup(reg, key + "\\" + number));
    return groups;
}

bool saveOutlookBarGroup(registry::Registry& reg, std::string_view profile,
    const std::vector<OutlookBarGroupRecord>& groups, std::size_t number)
{
    if (number < 1 || number > groups.size())
        return false;
    const std::string key = outlookBarKey(profile);
    const std::vector<std::string> stored = reg.subKeyNames(Hive::CurrentUser, key);
    if (stored.empty()) {
        for (std::size_t i = 0; i < groups.size(); ++i)
            if (!writeGroup(reg, key + "\\" + std::to_string(i + 1), groups[i]))
                return false;
        return true;
    }
    if (number > stored.size())
        return writeGroup(reg, key + "\\" + std::to_string(number), groups[number - 1]);
    return writeGroup(reg, key + "\\" + stored[number - 1], groups[number - 1]);
}

std::string formatFolderPath(const std::vector<std::string>& path)
{
    std::string text;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 0)
            text += '/';
        for (const char c : path[i]) {
            if (c == '/' || c == '\\')
                text += '\\';
            text += c;
        }
    }
    return text;
}

std::vector<std::string> parseFolderPath(std::string_view text)
{
    std::vector<std::string> path(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size())
            path.back() += text[++i];
        else if (text[i] == '/')
            path.emplace_back();
        else
            path.back() += text[i];
    }
    return path;
}

} // namespace kvn::outlook
