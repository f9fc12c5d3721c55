// The host's command bars of one profile: permanent bars and their permanent
// controls are stored in the registry (command_bar_records.h) at every change
// and come back at the next start; temporary bars and controls live only as
// long as the store. Main thread only.
#pragma once

#include "platform/outlook/outlook_command_bars.h"
#include "platform/registry/registry.h"

#include <string>

namespace kvn::outlook {

// The registry must outlive the store and every handle reached through it.
CommandBarsPtr openCommandBarStore(registry::Registry& registry, std::string profile);

} // namespace kvn::outlook
