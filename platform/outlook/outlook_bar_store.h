// The Outlook bar's groups of a profile, kept in the registry under
// HKEY_CURRENT_USER "Software\Brindlecraft\KVN Host\Profiles\<profile>\OutlookBar\<n>"
// (n = 1, 2, ... in the groups' order), each key holding "Name" (REG_SZ) and
// "Shortcuts" (REG_MULTI_SZ: name, target, name, target, ...). A target is a
// folder's path from its store: the store's display name, then each folder
// name, joined with "/" (a "/" or "\" inside a name is written "\/" or "\\").
//
// A profile with no group stored shows one group, "Outlook Shortcuts", with
// Inbox, Sent Items and Deleted Items of the default store; it is written
// the first time a group is changed. A group is written as one value, so an
// interrupted write leaves the previous group whole.
#pragma once

#include "platform/outlook/maildir_store.h"
#include "platform/registry/registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace kvn::outlook {

struct OutlookBarShortcutRecord {
    std::string name;
    std::vector<std::string> target; // store display name, then folder names
    bool operator==(const OutlookBarShortcutRecord&) const = default;
};

struct OutlookBarGroupRecord {
    std::string name;
    std::vector<OutlookBarShortcutRecord> shortcuts;
    bool operator==(const OutlookBarGroupRecord&) const = default;
};

std::string outlookBarKey(std::string_view profile);

// The group a fresh profile has, over its default (first) store; no
// shortcut when there is no store.
std::vector<OutlookBarGroupRecord> defaultOutlookBarGroups(const std::vector<StoreConfig>& stores);

// The stored groups, or the defaults when none is stored. Unreadable
// shortcut values read as empty groups.
std::vector<OutlookBarGroupRecord> loadOutlookBarGroups(
    registry::Registry& registry, std::string_view profile, const std::vector<StoreConfig>& stores);

// Writes group number `number` (from 1) of `groups`; a profile that had no
// group stored gets every group written, so the defaults become its own.
// False when the registry cannot be written.
bool saveOutlookBarGroup(registry::Registry& registry, std::string_view profile,
    const std::vector<OutlookBarGroupRecord>& groups, std::size_t number);

// "Store/Folder/Sub" and back, with the escapes above.
std::string formatFolderPath(const std::vector<std::string>& path);
std::vector<std::string> parseFolderPath(std::string_view text);

} // namespace kvn::outlook
