// The hash index beside one polarity's Address sequence: the case-fold key
// of each entry's address (caseFoldKey) to the positions of the entries
// holding it, in ascending order. It answers "which entries have this address,
// ignoring case" without a scan; FilterLists keeps it in step with the
// sequence through the operations that change the sequence.
//
// Not thread-safe; whoever guards the lists guards it.
#pragma once

#include "lists/list_entry.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kvn {

class AddressPositions {
public:
    // Indexes every entry of the sequence anew.
    void rebuild(const std::vector<ListEntry>& addresses);
    void clear();

    // An entry with this address went in at `position`: the entries from
    // there on moved up one place. One pass over a flat array of positions.
    void inserted(int position, std::string_view address);
    // The entry at `position` (with this address) went out: the entries after
    // it moved down one place.
    void removed(int position, std::string_view address);

    // The positions of the entries whose address equals this one ignoring
    // case, ascending; empty when there is none.
    std::vector<int> positionsOf(std::string_view address) const;

    // How many entries are indexed: the sequence's size while in step.
    std::size_t size() const { return size_; }

private:
    // Each indexed entry has a slot that keeps its number while the entries
    // move; the slot holds the entry's position (-1: a free slot).
    int takeSlot(int position);

    std::unordered_map<std::string, std::vector<int>> slotsByKey_;
    std::vector<int> slotPositions_;
    std::vector<int> freeSlots_;
    std::size_t size_ = 0;
};

} // namespace kvn
