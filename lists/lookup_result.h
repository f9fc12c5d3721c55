// What a list look-up found, as the fixed codes callers test, and where.
#pragma once

namespace kvn {

enum class LookupResult {
    NoKey = 1000, // nothing to look up: empty address, or no country known
    InAskedList = 1001,
    InOtherList = 1002,
    DomainInAskedList = 1003,
    DomainInOtherList = 1004,
    NotFound = 1005,
};

// The result and the position of the matching entry in its sequence (-1 when none).
struct LookupMatch {
    LookupResult result;
    int position;

    bool operator==(const LookupMatch&) const = default;
};

} // namespace kvn
