// The match rules of the entry kinds that the analysis scans itself (words,
// file types) and the reading of IP-range bounds.
#pragma once

#include "lists/list_entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvn {

// A word entry matches a subject or body when its value occurs in the text
// once the text is in lower case. Callers scanning many entries lower-case the
// text once and use wordOccursIn.
bool wordMatches(const ListEntry& entry, std::string_view text);
bool wordOccursIn(const ListEntry& entry, std::string_view lowerCaseText);

// A file-type entry matches an attachment when its value equals, ignoring
// case, the part of the file name after the last "." (the whole name when it
// has no ".").
bool fileTypeMatches(const ListEntry& entry, std::string_view fileName);

// A stored IP-range bound as a number: the first three dot-separated parts and
// the rest read as leading decimal digits, combined as ((a*256+b)*256+c)*256+d
// in unsigned 32-bit arithmetic. Empty when the text has fewer than three
// dots: such a bound orders below every address.
std::optional<std::uint32_t> ipBoundValue(std::string_view dottedText);

// Strict form for new input: exactly four decimal parts of 0..255.
std::optional<std::uint32_t> parseDottedQuad(std::string_view text);

// "%d.%d.%d.%d"
std::string formatDottedQuad(std::uint32_t address);

// lower <= address <= upper, with the ordering of ipBoundValue.
bool ipRangeContains(const ListEntry& range, std::uint32_t address);

} // namespace kvn
