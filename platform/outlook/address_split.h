// Private to this folder: an address list (the value of To, Cc or From) cut
// into its single addresses before GMime parses them, so that GMime only
// ever sees one short address at a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvn::outlook::detail {

// The addresses of the list in order, split at each comma outside quoted
// strings, comments and angle brackets, and after each "<address>" (what
// follows it up to the next comma is a piece of its own). Groups are
// expanded: "Friends: a, b;" gives "a" and "b" (a group inside a group, which
// mail never holds, is read as one level). Each address has its unclosed
// quoted string, comments and angle bracket closed, so that a parser sees it
// as it was split. Blank pieces are left out.
std::vector<std::string> splitAddressList(std::string_view list);

} // namespace kvn::outlook::detail
