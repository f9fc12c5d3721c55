#include "analysis/matched_entry.h"

namespace kvn {
namespace {

bool sameEntry(const ListEntry& a, const ListEntry& b) { return a.value == b.value && a.extra == b.extra; }

} // namespace

MatchedEntry MatchedEntry::at(const FilterLists& lists, ListKind kind, bool white, int position)
{
    MatchedEntry match{kind, white, position, {}};
    const ListSequence& entries = lists.sequence(kind, white);
    if (position >= 0 && static_cast<std::size_t>(position) < entries.size())
        match.entry = entries[static_cast<std::size_t>(position)];
    else
        match.position = -1;
    return match;
}

void bumpMatchedEntry(FilterLists& lists, const MatchedEntry& match, const Clock& clock)
{
    if (match.position < 0)
        return;
    ListSequence& entries = lists.sequence(match.kind, match.white);
    const auto position = static_cast<std::size_t>(match.position);
    if (position < entries.size() && sameEntry(entries[position], match.entry)) {
        FilterLists::recordMatch(entries, match.position, clock);
        return;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (sameEntry(entries[i], match.entry)) {
            FilterLists::recordMatch(entries, static_cast<int>(i), clock);
            return;
        }
    }
}

} // namespace kvn
