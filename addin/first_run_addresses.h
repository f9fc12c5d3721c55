// How the first-run configuration puts addresses on the white list: each new
// address goes, in lower case, before the first entry that compares greater
// ignoring case, so that what the steps add stays in order. While the steps
// run, a guard entry that compares greater than every ordinary address stands
// last, so that every address finds its place before it.
//
// These work on the white Address sequence alone and leave the
// FirstCharIndex texts as they are: the configuration rebuilds them when it
// ends. Not thread-safe: the caller holds the engine lock for each call.
#pragma once

#include "lists/filter_lists.h"

#include <string>
#include <string_view>

namespace kvn {

inline constexpr std::string_view firstRunGuardName = "~~~~~";
inline constexpr std::string_view firstRunGuardAddress = "~~~~~@~~~~~.~~~";

// What happens to an entry that already holds the address.
enum class PresentEntry {
    Keep, // the contacts: the entry stays as it is
    NameTheAddress, // sent and other mail: an entry whose name is really an address gets the given name
};

// Appends the guard at the end of the white Address sequence.
void appendGuard(ListSequence& whiteAddresses);

// Removes the guard: the last entry while the steps run, or the guard nearest
// the end should a command have put an entry after it meanwhile. False
// (nothing removed) when there is none.
bool removeGuard(ListSequence& whiteAddresses);

// True when the text holds "@" after its first character: a name that is
// really an address.
bool looksLikeAddress(std::string_view name);

// Adds one address with its display name as an Address entry added today
// ("%Y.%m.%d"). The address is taken in lower case; an empty one is ignored.
// The walk compares each entry's address ignoring case: at an equal one the
// address is present (see PresentEntry); before the first greater one the new
// entry is inserted. The guard counts as greater than everything, so an
// address sorting after it (a letter outside ASCII) still goes before it;
// without a guard such an address is appended. Returns true when an entry
// was inserted.
bool addWhiteAddress(ListSequence& whiteAddresses, std::string_view address, std::string displayName,
    PresentEntry present, const std::string& today);

} // namespace kvn
