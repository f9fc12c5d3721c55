// The check program's logic: is a news player of major version 6 or later
// registered, and if not, may its download page be opened?
//
// The registered version is read from the default value of
// HKEY_CLASSES_ROOT\ShockwaveFlash.ShockwaveFlash\CurVer, a text
// "ShockwaveFlash.ShockwaveFlash.<major version>": whatever stands after its
// first 30 characters, up to the value's terminating zero, is the number.
#pragma once

#include "platform/core/ui.h"
#include "platform/registry/registry.h"

#include <optional>
#include <string>

namespace kvn::plugprobe {

inline constexpr int minimumPlayerVersion = 6;
inline constexpr const char* playerQuestion
    = "This application requires Flash MX Player. Would you like to install it now?";

// The major version CurVer names: a number from 0 to 255 after the first 30
// characters (blanks around it allowed). None when the key or its value is
// missing, the text is shorter, or the rest is not such a number.
std::optional<int> registeredPlayerVersion(registry::Registry& registry);

// True when the registered version is the minimum or more.
bool IsFlashInstalled(registry::Registry& registry);

struct ProbeSettings {
    std::string downloadAddress;
    std::string title;
};

// Ends at once when the player is installed; otherwise asks the Yes/No/Cancel
// question with the title and, on Yes, opens the download page with the
// desktop's browser. Nothing else is said: a failure to read the registry is
// a missing player.
void subMain(registry::Registry& registry, Ui& ui, const ProbeSettings& settings);

} // namespace kvn::plugprobe
