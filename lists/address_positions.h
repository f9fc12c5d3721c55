// The hash index beside one polarity's Address sequence: the hash of the
// case-fold key of each entry's address (caseFoldKey) beside the entry, in a
// flat array sorted by hash, so that an entry costs a few bytes however long
// its address. It answers "which entries may have this address, ignoring
// case" without a scan: every entry that has it, and, as rarely as two keys
// share a 64-bit hash, one that only shares the hash, which the caller's
// comparison of the address tells apart. FilterLists keeps it in step with
// the sequence through the operations that change the sequence.
//
// Not thread-safe; whoever guards the lists guards it.
#pragma once

#include "lists/list_entry.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
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

    // The positions of the entries whose address hashes as this one does
    // ignoring case (see above), ascending; empty when there is none.
    std::vector<int> positionsOf(std::string_view address) const;

    // How many entries are indexed: the sequence's size while in step.
    std::size_t size() const { return size_; }

private:
    // Each indexed entry has a slot that keeps its number while the entries
    // move; the slot holds the entry's position (-1: a free slot).
    int takeSlot(int position);

    struct HashedSlot {
        std::uint64_t hash;
        int slot;
        auto operator<=>(const HashedSlot&) const = default;
    };
    static std::uint64_t hashOf(std::string_view address);
    // The slots of one hash.
    std::pair<std::vector<HashedSlot>::const_iterator, std::vector<HashedSlot>::const_iterator> slotsOf(
        std::uint64_t hash) const;

    std::vector<HashedSlot> hashedSlots_; // sorted
    std::vector<int> slotPositions_;
    std::vector<int> freeSlots_;
    std::size_t size_ = 0;
};

} // namespace kvn
