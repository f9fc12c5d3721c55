// The six kinds of list entry, their stored codes and the names the user sees.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kvn {

// Stored as a 32-bit code in the lists file; codes 0 and 1 are never used.
enum class ListKind : std::int32_t { Address = 2, Domain = 3, Word = 4, FileType = 5, IpRange = 6, Country = 7 };

// Every kind, in the order the user interface lists them.
inline constexpr std::array<ListKind, 6> allListKinds
    = {ListKind::Address, ListKind::Domain, ListKind::Word, ListKind::FileType, ListKind::IpRange, ListKind::Country};

// True for the codes 2..7; entries with any other code are dropped when a file is read.
constexpr bool isListKind(std::int32_t code) { return code >= 2 && code <= 7; }

constexpr std::int32_t listKindCode(ListKind kind) { return static_cast<std::int32_t>(kind); }

// "e-mail address", "domain", "word/expression", "attached file type", "IP range", "country".
std::string_view listKindName(ListKind kind);

} // namespace kvn
