// One entry of the white or black list: an address, domain, word, file type,
// IP range or country, with its match counter and dates.
#pragma once

#include <cstdint>
#include <string>

namespace kvn {

struct ListEntry {
    std::int32_t kind = 0; // a ListKind code
    std::string value; // display name, domain, word, file type, lower IP bound or country
    std::string extra; // the address (lower case) of an Address entry, the upper bound of an IP range
    std::int32_t receivedCount = 0; // e-mails matched since the entry was added
    std::string dateAdded; // "%Y.%m.%d"
    std::string lastReceived; // "%Y.%m.%d", empty until the first match
    bool isWhite = false; // set to match its list when written, read only when a file is loaded

    ListEntry() = default;
    // Always stores extra in lower case: addresses taken from e-mails rely on it.
    ListEntry(std::int32_t kind, std::string value, std::string extra, std::int32_t receivedCount,
        std::string dateAdded, std::string lastReceived);

    bool operator==(const ListEntry&) const = default;
};

} // namespace kvn
