// The white and black lists in memory: twelve sequences (one per kind and
// polarity) and, per polarity, the FirstCharIndex that makes address look-ups
// fast.
//
// The index is a text with one byte per Address entry of its polarity: byte i
// is the first byte of entry i's address (0 for an empty address). Addresses
// sharing a first byte stand together, so a look-up searches the index for
// the first and last occurrence of the byte and compares whole addresses only
// within that run. Look-ups stay correct when the runs are not contiguous;
// they only compare more entries. Every change to an Address sequence keeps
// the index in step: addressInsertPosition before an insertion,
// removeIndexChar after a removal, rebuildAddressIndexes after bulk appends.
//
// Beside each index, a hash of the addresses (AddressPositions) finds the
// entries a look-up would compare equal without walking the run; findAddress
// answers exactly as the walk does, the same result and the same position.
// The same operations keep it in step: insertAddressEntry, removeEntry,
// clear, rebuildAddressIndexes and sortAddressesForSaving. An Address entry's
// address is changed only through them; appends to an Address sequence are
// followed by rebuildAddressIndexes (until then look-ups walk the runs).
//
// Beside each Domain sequence, a hash of the values (DomainPositions) gives
// findDomain the first matching entry without a scan. Appends need nothing
// (the entries after the last rebuild are scanned); removals and sorts go
// through removeEntry and sortDomainsForSaving, or are followed by
// rebuildAddressIndexes, and a Domain entry's value is not changed in place.
#pragma once

#include "lists/address_positions.h"
#include "lists/domain_positions.h"
#include "lists/list_entry.h"
#include "lists/list_kind.h"
#include "lists/lookup_result.h"
#include "platform/core/clock.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

using ListSequence = std::vector<ListEntry>;

class FilterLists {
public:
    ListSequence& sequence(ListKind kind, bool white);
    const ListSequence& sequence(ListKind kind, bool white) const;

    std::string& firstCharIndex(bool white) { return white ? whiteIndex_ : blackIndex_; }
    const std::string& firstCharIndex(bool white) const { return white ? whiteIndex_ : blackIndex_; }

    // Empties all twelve sequences and both indexes.
    void clear();

    // The probe's extra is the address (lower case by construction). NoKey
    // for an empty address; else InAskedList, InOtherList or NotFound.
    LookupMatch findAddress(const ListEntry& probe, bool askWhite) const;

    // The domain is the text after the address's last "@" (the whole text
    // without one), compared exactly with each Domain entry's value:
    // DomainInAskedList, DomainInOtherList or NotFound. No suffix matching.
    LookupMatch findDomain(std::string_view address, bool askWhite) const;

    // The white ranges are scanned first whatever the polarity asked for,
    // then the black ones; bounds are inclusive.
    LookupMatch findIpRange(std::uint32_t ip, bool askWhite) const;

    // The list half of the country check: NotFound when both Country
    // sequences are empty, NoKey when no country name is known (empty), else
    // the white then the black sequence, names compared ignoring case.
    LookupMatch findCountry(std::string_view countryName, bool askWhite) const;

    // Puts the address's first byte into the index and returns where the
    // caller inserts the new Address entry into the sequence: the entry's
    // place, ignoring case, inside the run of its first byte. Bytes order as
    // signed 8-bit values, so bytes from 0x80 up come before ASCII.
    static int addressInsertPosition(std::string& index, std::string_view address, const ListSequence& sequence);

    // Removes the first occurrence of the byte from the index; its position,
    // or -1 (index unchanged) when absent.
    static int removeIndexChar(std::string& index, char byte);

    // The entry decided an e-mail: one more received, last received today.
    static void recordMatch(ListSequence& sequence, int position, const Clock& clock);

    // Both indexes, and the hashes beside them, anew from the Address
    // sequences, and the Domain hashes from the Domain sequences: after bulk
    // appends, and after any other change made to the sequences directly.
    void rebuildAddressIndexes();

    // Sorts one polarity's Address sequence into the lists file's order
    // (sortByExtra) and re-indexes the hash. The FirstCharIndex text is left
    // as it was, as saving always has.
    void sortAddressesForSaving(bool white);

    // Sorts one polarity's Domain sequence into the lists file's order
    // (sortByExtra) and re-indexes its hash.
    void sortDomainsForSaving(bool white);

    // The first byte of an address as the index stores it.
    static char indexByteOf(std::string_view address) { return address.empty() ? '\0' : address.front(); }

private:
    static std::size_t slot(ListKind kind, bool white);
    // Position of the address in one polarity's Address sequence, or -1:
    // the first entry within the run of its first byte that equals it.
    int findAddressIn(std::string_view address, bool white) const;
    // The same answer from the run itself, entry by entry.
    int scanAddressRun(std::string_view address, bool white) const;

    AddressPositions& positions(bool white) { return white ? whitePositions_ : blackPositions_; }
    const AddressPositions& positions(bool white) const { return white ? whitePositions_ : blackPositions_; }
    DomainPositions& domainPositions(bool white) { return white ? whiteDomains_ : blackDomains_; }
    const DomainPositions& domainPositions(bool white) const { return white ? whiteDomains_ : blackDomains_; }

    friend int insertAddressEntry(FilterLists& lists, bool white, ListEntry entry);
    friend void removeEntry(FilterLists& lists, ListKind kind, bool white, int position);

    std::array<ListSequence, 12> sequences_;
    std::string whiteIndex_;
    std::string blackIndex_;
    AddressPositions whitePositions_;
    AddressPositions blackPositions_;
    DomainPositions whiteDomains_;
    DomainPositions blackDomains_;
};

// Inserts a new Address entry at its place, keeping the index in step.
// Returns the position it went to.
int insertAddressEntry(FilterLists& lists, bool white, ListEntry entry);

// Removes an entry at a position; for an Address entry the index too.
void removeEntry(FilterLists& lists, ListKind kind, bool white, int position);

} // namespace kvn
