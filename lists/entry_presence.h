// Whether a new entry is already covered by the lists, by the add-item
// rules, which are wider than the look-ups: a new domain or word that
// contains a listed one counts as present, a new IP range inside a listed
// one is present, and one that overlaps a range of the other list at all
// cannot be added. Also the texts that tell the person so.
#pragma once

#include "lists/entry_rules.h"
#include "lists/filter_lists.h"

namespace kvn {

// The asked polarity first, then the other one:
// - NoKey (-1) when the entry's key is empty or blank (for an IP range: either bound);
// - address: exactly findAddress;
// - domain, word: InAskedList when the new text contains a listed value
//   (byte-wise substring), else InOtherList, else NotFound;
// - file type, country: a value equal to the new one, ignoring case;
// - IP range: InAskedList when a range of the asked list holds the new one
//   whole, InOtherList when a range of the other list overlaps it at all.
// The position is that of the matching entry in its sequence. Listed
// entries with an empty value (or an unreadable bound) never match.
LookupMatch findForAdd(const FilterLists& lists, bool askWhite, ListKind kind, const EntryTexts& entry);

// "This domain - x - is already in this list" and the other texts of the
// InAskedList case, per kind; white tells which page adds.
std::string alreadyPresentText(ListKind kind, bool white, const EntryTexts& entry);

// The InOtherList case: the question whether to move the entry ("...
// is currently blocked (in Black List).\nWould you like to move this domain
// to the White List now?"), or for an IP range the refusal.
std::string inOtherListText(ListKind kind, bool white, const EntryTexts& entry);

// An IP range that overlaps a range of the other list is refused, never moved.
constexpr bool canMoveFromOtherList(ListKind kind) { return kind != ListKind::IpRange; }

} // namespace kvn
