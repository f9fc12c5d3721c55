// The add-ins registered for the host (HKEY_CURRENT_USER
// Software\Microsoft\Office\Outlook\Addins\<ProgID>) and which of them a
// start loads, by their LoadBehavior:
//   2 or 3 (load at start-up): loaded at every start;
//   16 (load once): loaded at this start, and LoadBehavior is set to 0 (not
//   loaded, not at start-up) so that the next start leaves it alone;
//   anything else (0, 1, 8, 9, ...): not loaded.
#pragma once

#include "platform/com/guid.h"
#include "platform/registry/registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvn::host {

struct AddinEntry {
    std::string progId; // the add-in key's name
    std::string friendlyName; // empty when not registered
    std::uint32_t loadBehavior = 0;
};

// Every add-in key, in the order they were registered.
std::vector<AddinEntry> registeredAddins(registry::Registry& registry);

bool loadsAtStart(const AddinEntry& addin);
bool loadsOnlyOnce(const AddinEntry& addin);

// After a load-once add-in was loaded: its LoadBehavior becomes 0. False when
// the registry cannot be written.
bool clearLoadOnce(registry::Registry& registry, const AddinEntry& addin);

// Where a registered class lives: its CLSID (from HKEY_CLASSES_ROOT
// <ProgID>\CLSID, following CurVer when the ProgID has no CLSID of its own)
// and the module named by CLSID\{...}\InprocServer32.
struct ClassLocation {
    com::Guid clsid;
    std::string modulePath;
};
// Empty with `why` set when the ProgID names no class or the class no module.
std::optional<ClassLocation> locateClass(registry::Registry& registry, const std::string& progId, std::string& why);

// The add-in's name in messages: its FriendlyName, else its ProgID.
std::string displayName(const AddinEntry& addin);

} // namespace kvn::host
