// What the engine does with the quarantine folder outside a pass: count its
// unread e-mails for the reminders, and delete the old ones at start-up
// ("AutoClean").
#pragma once

#include "analysis/pass_context.h"
#include "platform/core/clock.h"
#include "platform/outlook/outlook.h"

#include <cstddef>
#include <cstdint>

namespace kvn {

// The number of unread items in the folder; negative when there is no folder
// or any call fails (the folder cannot be read whole).
std::int64_t countUnreadItems(const outlook::FolderPtr& folder);

// With 0 to 30 days: every mail item of the quarantine folder received up to
// `days` × 24 hours before now is marked read and moved to Deleted Items;
// other items are passed over. Any other number of days does nothing, and
// so does a missing folder or a failing call (what was moved stays moved).
// Returns how many e-mails were moved.
std::size_t autoCleanQuarantine(const PassFolders& folders, std::int64_t days, const Clock& clock);

} // namespace kvn
