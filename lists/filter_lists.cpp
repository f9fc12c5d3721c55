#include "lists/filter_lists.h"

#include "lists/extra_sort.h"
#include "lists/list_matching.h"
#include "platform/core/ole_date.h"
#include "platform/core/utf8_text.h"

#include <cassert>

namespace kvn {
namespace {

LookupResult polarityResult(bool foundWhite, bool askWhite)
{
    return foundWhite == askWhite ? LookupResult::InAskedList : LookupResult::InOtherList;
}

int firstMatching(const ListSequence& sequence, auto matches)
{
    for (std::size_t i = 0; i < sequence.size(); ++i)
        if (matches(sequence[i]))
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::size_t FilterLists::slot(ListKind kind, bool white)
{
    assert(isListKind(listKindCode(kind)) && "not a list kind");
    return static_cast<std::size_t>(listKindCode(kind) - 2) * 2 + (white ? 0 : 1);
}

ListSequence& FilterLists::sequence(ListKind kind, bool white) { return sequences_[slot(kind, white)]; }

const ListSequence& FilterLists::sequence(ListKind kind, bool white) const { return sequences_[slot(kind, white)]; }

void FilterLists::clear()
{
    for (ListSequence& sequence : sequences_)
        sequence.clear();
    whiteIndex_.clear();
    blackIndex_.clear();
    whitePositions_.clear();
    blackPositions_.clear();
    whiteDomains_.clear();
    blackDomains_.clear();
}

int FilterLists::findAddressIn(std::string_view address, bool white) const
{
    const AddressPositions& hashed = positions(white);
    const ListSequence& addresses = sequence(ListKind::Address, white);
    if (hashed.size() != addresses.size())
        return scanAddressRun(address, white);
    const std::vector<int> candidates = hashed.positionsOf(address);
    const std::string& index = firstCharIndex(white);
    const char first = indexByteOf(address);
    std::size_t lo = std::string::npos;
    std::size_t hi = 0;
    for (const int candidate : candidates) {
        const auto at = static_cast<std::size_t>(candidate);
        if (at >= addresses.size() || !equalsIgnoringCase(address, addresses[at].extra))
            return scanAddressRun(address, white); // changed behind the hash's back
        if (at < index.size() && index[at] == first)
            return candidate; // inside the run
        if (lo == std::string::npos) {
            lo = index.find(first);
            if (lo == std::string::npos)
                return -1;
            hi = std::min(index.rfind(first), addresses.size() - 1);
        }
        if (at > hi)
            return -1;
        if (at >= lo)
            return candidate;
    }
    return -1;
}

int FilterLists::scanAddressRun(std::string_view address, bool white) const
{
    const std::string& index = firstCharIndex(white);
    const ListSequence& addresses = sequence(ListKind::Address, white);
    const char first = indexByteOf(address);
    const std::size_t lo = index.find(first);
    if (lo == std::string::npos)
        return -1;
    const std::size_t hi = std::min(index.rfind(first), addresses.size() - 1);
    for (std::size_t i = lo; i <= hi && i < addresses.size(); ++i)
        if (equalsIgnoringCase(address, addresses[i].extra))
            return static_cast<int>(i);
    return -1;
}

LookupMatch FilterLists::findAddress(const ListEntry& probe, bool askWhite) const
{
    if (probe.extra.empty())
        return {LookupResult::NoKey, -1};
    if (const int position = findAddressIn(probe.extra, askWhite); position >= 0)
        return {LookupResult::InAskedList, position};
    if (const int position = findAddressIn(probe.extra, !askWhite); position >= 0)
        return {LookupResult::InOtherList, position};
    return {LookupResult::NotFound, -1};
}

LookupMatch FilterLists::findDomain(std::string_view address, bool askWhite) const
{
    const std::size_t at = address.find_last_of('@');
    const std::string_view domain = at == std::string_view::npos ? address : address.substr(at + 1);
    const auto firstOf
        = [&](bool white) { return domainPositions(white).firstOf(domain, sequence(ListKind::Domain, white)); };
    if (const int position = firstOf(askWhite); position >= 0)
        return {LookupResult::DomainInAskedList, position};
    if (const int position = firstOf(!askWhite); position >= 0)
        return {LookupResult::DomainInOtherList, position};
    return {LookupResult::NotFound, -1};
}

LookupMatch FilterLists::findIpRange(std::uint32_t ip, bool askWhite) const
{
    const auto contains = [&](const ListEntry& range) { return ipRangeContains(range, ip); };
    for (const bool white : {true, false})
        if (const int position = firstMatching(sequence(ListKind::IpRange, white), contains); position >= 0)
            return {polarityResult(white, askWhite), position};
    return {LookupResult::NotFound, -1};
}

LookupMatch FilterLists::findCountry(std::string_view countryName, bool askWhite) const
{
    if (sequence(ListKind::Country, true).empty() && sequence(ListKind::Country, false).empty())
        return {LookupResult::NotFound, -1};
    if (countryName.empty())
        return {LookupResult::NoKey, -1};
    const auto sameCountry = [&](const ListEntry& entry) { return equalsIgnoringCase(entry.value, countryName); };
    for (const bool white : {true, false})
        if (const int position = firstMatching(sequence(ListKind::Country, white), sameCountry); position >= 0)
            return {polarityResult(white, askWhite), position};
    return {LookupResult::NotFound, -1};
}

int FilterLists::addressInsertPosition(std::string& index, std::string_view address, const ListSequence& sequence)
{
    const char first = indexByteOf(address);
    const auto asSigned = [](char byte) { return static_cast<signed char>(byte); };
    int lastLess = -1;
    std::size_t hi = index.size();
    for (std::size_t p = 0; p < index.size(); ++p) {
        if (asSigned(index[p]) > asSigned(first)) {
            hi = p;
            break;
        }
        if (asSigned(index[p]) < asSigned(first))
            lastLess = static_cast<int>(p);
    }
    index.insert(hi, 1, first);
    // The index and the sequence have the same length while the invariant
    // holds; never look past the sequence if a caller broke it.
    const std::size_t end = std::min(hi, sequence.size());
    for (std::size_t i = static_cast<std::size_t>(lastLess + 1); i < end; ++i)
        if (compareIgnoringCase(address, sequence[i].extra) < 0)
            return static_cast<int>(i);
    return static_cast<int>(end);
}

int FilterLists::removeIndexChar(std::string& index, char byte)
{
    const std::size_t position = index.find(byte);
    if (position == std::string::npos)
        return -1;
    index.erase(position, 1);
    return static_cast<int>(position);
}

void FilterLists::recordMatch(ListSequence& sequence, int position, const Clock& clock)
{
    assert(position >= 0 && static_cast<std::size_t>(position) < sequence.size() && "no entry at that position");
    ListEntry& entry = sequence[static_cast<std::size_t>(position)];
    if (entry.receivedCount < INT32_MAX)
        ++entry.receivedCount;
    entry.lastReceived = formatDottedDate(clock.nowLocal());
}

void FilterLists::rebuildAddressIndexes()
{
    for (const bool white : {true, false}) {
        std::string& index = firstCharIndex(white);
        index.clear();
        for (const ListEntry& entry : sequence(ListKind::Address, white))
            index += indexByteOf(entry.extra);
        positions(white).rebuild(sequence(ListKind::Address, white));
        domainPositions(white).rebuild(sequence(ListKind::Domain, white));
    }
}

void FilterLists::sortAddressesForSaving(bool white)
{
    ListSequence& addresses = sequence(ListKind::Address, white);
    sortByExtra(addresses);
    positions(white).rebuild(addresses);
}

void FilterLists::sortDomainsForSaving(bool white)
{
    ListSequence& domains = sequence(ListKind::Domain, white);
    sortByExtra(domains);
    domainPositions(white).rebuild(domains);
}

int insertAddressEntry(FilterLists& lists, bool white, ListEntry entry)
{
    ListSequence& addresses = lists.sequence(ListKind::Address, white);
    const int position = FilterLists::addressInsertPosition(lists.firstCharIndex(white), entry.extra, addresses);
    entry.kind = listKindCode(ListKind::Address);
    const std::string address = entry.extra;
    addresses.insert(addresses.begin() + position, std::move(entry));
    lists.positions(white).inserted(position, address);
    return position;
}

void removeEntry(FilterLists& lists, ListKind kind, bool white, int position)
{
    ListSequence& entries = lists.sequence(kind, white);
    assert(position >= 0 && static_cast<std::size_t>(position) < entries.size() && "no entry at that position");
    const auto at = entries.begin() + position;
    if (kind != ListKind::Address) {
        entries.erase(at);
        if (kind == ListKind::Domain)
            lists.domainPositions(white).rebuild(entries);
        return;
    }
    FilterLists::removeIndexChar(lists.firstCharIndex(white), FilterLists::indexByteOf(at->extra));
    const std::string address = at->extra;
    entries.erase(at);
    lists.positions(white).removed(position, address);
}

} // namespace kvn
