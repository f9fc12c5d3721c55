#include "lists/entry_presence.h"

#include "lists/list_matching.h"
#include "platform/core/utf8_text.h"

namespace kvn {
namespace {

struct Range {
    std::uint32_t from;
    std::uint32_t to;
};

std::optional<Range> storedRange(const ListEntry& entry)
{
    const std::optional<std::uint32_t> from = ipBoundValue(entry.value);
    const std::optional<std::uint32_t> to = ipBoundValue(entry.extra);
    if (!from || !to)
        return std::nullopt;
    return Range{*from, *to};
}

template <class Matches> int firstMatch(const ListSequence& sequence, Matches matches)
{
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (matches(sequence[i]))
            return static_cast<int>(i);
    }
    return -1;
}

LookupMatch inEither(const FilterLists& lists, bool askWhite, ListKind kind, auto matchesAsked, auto matchesOther)
{
    if (const int at = firstMatch(lists.sequence(kind, askWhite), matchesAsked); at >= 0)
        return {LookupResult::InAskedList, at};
    if (const int at = firstMatch(lists.sequence(kind, !askWhite), matchesOther); at >= 0)
        return {LookupResult::InOtherList, at};
    return {LookupResult::NotFound, -1};
}

LookupMatch findRange(const FilterLists& lists, bool askWhite, const EntryTexts& entry)
{
    const std::optional<std::uint32_t> from = parseDottedQuad(entry.value);
    const std::optional<std::uint32_t> to = parseDottedQuad(entry.extra);
    if (!from || !to)
        return {LookupResult::NoKey, -1};
    const auto holdsWhole = [&](const ListEntry& listed) {
        const std::optional<Range> range = storedRange(listed);
        return range && range->from <= *from && *to <= range->to;
    };
    const auto overlaps = [&](const ListEntry& listed) {
        const std::optional<Range> range = storedRange(listed);
        return range && range->from <= *to && range->to >= *from;
    };
    return inEither(lists, askWhite, ListKind::IpRange, holdsWhole, overlaps);
}

const char* listName(bool white) { return white ? "White List" : "Black List"; }

} // namespace

LookupMatch findForAdd(const FilterLists& lists, bool askWhite, ListKind kind, const EntryTexts& entry)
{
    const std::string& key = kind == ListKind::Address ? entry.extra : entry.value;
    if (isBlank(key) || (kind == ListKind::IpRange && isBlank(entry.extra)))
        return {LookupResult::NoKey, -1};
    const auto containedInKey
        = [&](const ListEntry& listed) { return !listed.value.empty() && key.find(listed.value) != std::string::npos; };
    const auto equalsKey
        = [&](const ListEntry& listed) { return !listed.value.empty() && equalsIgnoringCase(listed.value, key); };
    switch (kind) {
    case ListKind::Address:
        return lists.findAddress(ListEntry(listKindCode(kind), entry.value, entry.extra, 0, "", ""), askWhite);
    case ListKind::Domain:
    case ListKind::Word:
        return inEither(lists, askWhite, kind, containedInKey, containedInKey);
    case ListKind::FileType:
    case ListKind::Country:
        return inEither(lists, askWhite, kind, equalsKey, equalsKey);
    case ListKind::IpRange:
        return findRange(lists, askWhite, entry);
    }
    return {LookupResult::NotFound, -1};
}

std::string alreadyPresentText(ListKind kind, bool white, const EntryTexts& entry)
{
    switch (kind) {
    case ListKind::Address:
        return "This e-mail address - " + entry.extra + " - already exists in your " + listName(white);
    case ListKind::Domain:
        return "This domain - " + entry.value + " - is already in this list";
    case ListKind::Word:
        return "This word/expression - " + entry.value
            + " - is already in this list, or anoter word or expression contains it";
    case ListKind::FileType:
        return "This file type - " + entry.value + " - is already in this list";
    case ListKind::IpRange:
        return "This IP range is already contained by another range in this list";
    case ListKind::Country:
        return "This country is already in this list";
    }
    return {};
}

std::string inOtherListText(ListKind kind, bool white, const EntryTexts& entry)
{
    const std::string state = white ? " - is currently blocked" : " - is currently trusted";
    const std::string where = white ? " (in Black List)" : " (in White List)";
    const std::string moveTo = std::string(" to the ") + listName(white) + " now?";
    switch (kind) {
    case ListKind::Address:
        return "This e-mail address - " + entry.extra + state + where + ".\nWould you like to move this address"
            + moveTo;
    case ListKind::Domain:
        return "This domain - " + entry.value + state + where + ".\nWould you like to move this domain" + moveTo;
    case ListKind::Word:
        return "This word/expression - " + entry.value + state + ".\nWould you like to move this word/expression"
            + moveTo;
    case ListKind::FileType:
        return "This file type - " + entry.value + state + ".\nWould you like to move this file type" + moveTo;
    case ListKind::IpRange:
        return std::string("This IP range or a part of it is already contained in the ")
            + (white ? "blocked" : "trusted") + " list";
    case ListKind::Country:
        return std::string("This country") + (white ? " is currently blocked" : " is currently trusted")
            + ".\nWould you like to move this country" + moveTo;
    }
    return {};
}

} // namespace kvn
