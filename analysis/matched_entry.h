// The list entry that decided an e-mail, remembered between the look-up and
// the bump of its counters. The lock is let go in between (the e-mail is
// moved meanwhile), so the GUI thread may have added or removed entries: the
// bump finds the entry again by its value and extra when its position moved,
// and bumps nothing when it is gone.
#pragma once

#include "lists/filter_lists.h"
#include "platform/core/clock.h"

namespace kvn {

struct MatchedEntry {
    ListKind kind = ListKind::Address;
    bool white = false;
    int position = -1;
    ListEntry entry; // a copy, as found

    // The entry at `position` of its sequence, copied; `position` -1 gives none.
    static MatchedEntry at(const FilterLists& lists, ListKind kind, bool white, int position);
};

// One more received, last received today. Call with the engine lock held.
void bumpMatchedEntry(FilterLists& lists, const MatchedEntry& match, const Clock& clock);

} // namespace kvn
