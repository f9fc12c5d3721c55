// The one rule for a mail profile's name. The name becomes a folder inside the
// installation folder and a key in the registry, so it must be one plain
// folder name: a name that could leave the installation folder ("..",
// "a/../b"), stand for the folder itself ("."), or nest registry keys ("a\b")
// is refused wherever a profile name turns into a path.
#pragma once

#include "platform/core/status.h"

#include <string>
#include <string_view>

namespace kvn {

// Success for one plain folder name: not empty, not "." or "..", no "/" or
// "\", no control character (bytes below 0x20 and 0x7F). The failure says
// which rule the name breaks.
Status checkProfileName(std::string_view name);

// installDir + "/" + profileName, for a name that passed checkProfileName;
// empty for any other name, so that no caller can reach outside installDir.
std::string profileDataFolder(const std::string& installDir, std::string_view profileName);

} // namespace kvn
