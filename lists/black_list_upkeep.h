// The clean-ups of black-listed addresses made when the add-in disconnects:
// idle ones are removed, and the number kept is capped by removing the ones
// idle for a week. Only Address entries of the black list are ever removed;
// no entry goes by count, age of addition or position alone.
//
// An entry's activity date is lastReceived, or dateAdded when it was never
// matched; both are "%Y.%m.%d" texts compared byte-wise. An entry with
// neither date (restored from a backup, which carries no dates) is given
// today as its dateAdded by datelessBlackAddressesDated before any removal,
// so that it counts as added the day it was first kept and becomes idle only
// after the same 30 days as any other new entry.
//
// Not thread-safe: the caller holds the engine lock.
#pragma once

#include "lists/filter_lists.h"
#include "platform/core/clock.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kvn {

// The local calendar date of now minus whole days, as "%Y.%m.%d".
std::string cutOffDate(const Clock& clock, int days);

// Gives every black Address entry without lastReceived and dateAdded today's
// date as dateAdded. Returns how many were dated.
std::size_t datelessBlackAddressesDated(FilterLists& lists, const Clock& clock);

// Removes the black Address entries whose activity date is before the
// cut-off; one whose date equals it stays, and so does one without any date.
// The address index is kept in step. Returns how many were removed.
std::size_t removeIdleBlackAddresses(FilterLists& lists, std::string_view cutOff);

// When more than `maximum` black addresses are kept: removes those idle for
// 30 days when the idle removal did not run ("RemoveBlackAfter" 0), then,
// while still more than the maximum, those idle for 7 days. The count may
// stay above the maximum. Returns how many were removed.
std::size_t capBlackAddresses(FilterLists& lists, std::size_t maximum, bool idleRemovalRan, const Clock& clock);

} // namespace kvn
