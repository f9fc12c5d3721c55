// What the main window remembers per profile: its geometry, the positions
// of its splitters and the folder shown last, kept under the profile's host
// key "...\KVN Host\Profiles\<profile>\Window" in HKEY_CURRENT_USER:
// "Geometry" and "Splitters" (REG_BINARY, as the toolkit saves them) and
// "LastFolder" (REG_SZ, a folder path as the Outlook bar writes targets).
#pragma once

#include "platform/registry/registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace kvn::host {

struct WindowSettings {
    std::string geometry; // empty: the window's own default
    std::string splitters;
    std::vector<std::string> lastFolder; // empty: the Inbox
};

std::string windowSettingsKey(std::string_view profile);

// What is stored; a value that is missing or of another type reads as empty.
WindowSettings loadWindowSettings(registry::Registry& registry, std::string_view profile);
// False when the registry cannot be written.
bool saveWindowSettings(registry::Registry& registry, std::string_view profile, const WindowSettings& settings);

} // namespace kvn::host
