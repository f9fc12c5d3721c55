// The hash index beside one polarity's Domain sequence: each value to the
// position of the first entry holding it, compared exactly as findDomain
// compares. It covers the entries present at the last rebuild; entries
// appended after it are not in it, and a look-up scans those few itself, so
// that an append needs no rebuild. Every other change (a removal, a sort)
// is followed by a rebuild; FilterLists does that in its operations.
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

class DomainPositions {
public:
    // Indexes every entry of the sequence anew.
    void rebuild(const std::vector<ListEntry>& domains);
    void clear();

    // The position of the first entry of `domains` whose value is `domain`,
    // or -1: what a scan from the start answers, as long as the entries
    // indexed were left as they were (a sequence shorter than the index, or
    // an indexed entry that no longer holds its value, is scanned whole).
    int firstOf(std::string_view domain, const std::vector<ListEntry>& domains) const;

private:
    std::unordered_map<std::string, int> firstPositions_;
    std::size_t size_ = 0;
};

} // namespace kvn
