// The news player's registration: the programmatic name under
// HKEY_CLASSES_ROOT that the check program looks for, with "CurVer" naming
// the versioned name of the player this installation supplies.
//
//     HKEY_CLASSES_ROOT\ShockwaveFlash.ShockwaveFlash          (default) = description
//     HKEY_CLASSES_ROOT\ShockwaveFlash.ShockwaveFlash\CurVer   (default) = "ShockwaveFlash.ShockwaveFlash.<version>"
//     HKEY_CLASSES_ROOT\ShockwaveFlash.ShockwaveFlash.<version> (default) = description
#pragma once

#include "platform/registry/registry.h"

#include <string>

namespace kvn {

inline constexpr const char* newsPlayerProgId = "ShockwaveFlash.ShockwaveFlash";

// The major version the player registers; the check program accepts 6 and up.
inline constexpr int newsPlayerVersion = 6;

// "ShockwaveFlash.ShockwaveFlash." followed by the version.
std::string versionedNewsPlayerProgId(int version = newsPlayerVersion);

// Writes the three keys; false when a write failed (the registry's
// writeStatus says why). Writing them again changes nothing.
bool registerNewsPlayer(registry::Registry& registry);

// Removes the keys; false when they were not there.
bool unregisterNewsPlayer(registry::Registry& registry);

} // namespace kvn
