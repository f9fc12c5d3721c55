#include "lists/black_list_upkeep.h"

#include "platform/core/ole_date.h"

#include <algorithm>
#include <cmath>

namespace kvn {
namespace {

const std::string& activityDate(const ListEntry& entry)
{
    return entry.lastReceived.empty() ? entry.dateAdded : entry.lastReceived;
}

ListSequence& blackAddresses(FilterLists& lists) { return lists.sequence(ListKind::Address, false); }

} // namespace

std::string cutOffDate(const Clock& clock, int days)
{
    // Whole days off the calendar date, at noon so that a change of daylight
    // saving time between the two dates cannot move the result by a day.
    std::tm today = clock.nowLocal();
    today.tm_hour = 12;
    today.tm_min = 0;
    today.tm_sec = 0;
    const std::optional<std::tm> then = localFromOleDate(std::floor(oleDateFromLocal(today)) + 0.5 - days);
    return then ? formatDottedDate(*then) : std::string();
}

std::size_t datelessBlackAddressesDated(FilterLists& lists, const Clock& clock)
{
    const std::string today = formatDottedDate(clock.nowLocal());
    std::size_t dated = 0;
    for (ListEntry& entry : blackAddresses(lists)) {
        if (!entry.lastReceived.empty() || !entry.dateAdded.empty())
            continue;
        entry.dateAdded = today;
        ++dated;
    }
    return dated;
}

std::size_t removeIdleBlackAddresses(FilterLists& lists, std::string_view cutOff)
{
    ListSequence& sequence = blackAddresses(lists);
    const auto idle = [&](const ListEntry& entry) {
        const std::string& active = activityDate(entry);
        return !active.empty() && cutOff > std::string_view(active);
    };
    // One sweep and one index rebuild: the black list may hold many
    // thousands of addresses, and the index follows the sequence's order.
    const auto kept = std::remove_if(sequence.begin(), sequence.end(), idle);
    const auto removed = static_cast<std::size_t>(sequence.end() - kept);
    if (removed == 0)
        return 0;
    sequence.erase(kept, sequence.end());
    lists.rebuildAddressIndexes();
    return removed;
}

std::size_t capBlackAddresses(FilterLists& lists, std::size_t maximum, bool idleRemovalRan, const Clock& clock)
{
    std::size_t removed = 0;
    if (blackAddresses(lists).size() <= maximum)
        return removed;
    if (!idleRemovalRan)
        removed += removeIdleBlackAddresses(lists, cutOffDate(clock, 30));
    if (blackAddresses(lists).size() > maximum)
        removed += removeIdleBlackAddresses(lists, cutOffDate(clock, 7));
    return removed;
}

} // namespace kvn
