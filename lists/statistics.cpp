#include "lists/statistics.h"

#include "platform/core/vector_growth.h"

#include <cassert>
#include <limits>

namespace kvn {

std::optional<std::size_t> statCounterIndex(std::int32_t category, std::int32_t reason)
{
    // Computed wide: the codes come from the file and may be anything.
    const std::int64_t index = std::int64_t{category} * 7 + reason;
    if (index < 0 || index >= 21)
        return std::nullopt;
    return static_cast<std::size_t>(index);
}

void addToCounter(std::int32_t& counter, std::int64_t amount)
{
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    const std::int64_t sum = std::int64_t{counter} + amount;
    counter = static_cast<std::int32_t>(sum < lowest ? lowest : sum > highest ? highest : sum);
}

std::int64_t summaryCount(std::string_view message)
{
    std::size_t at = 0;
    while (at < message.size() && (message[at] == ' ' || message[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < message.size() && (message[at] == '-' || message[at] == '+'))
        negative = message[at++] == '-';
    constexpr std::int64_t ceiling = std::int64_t{1} << 40;
    std::int64_t value = 0;
    for (; at < message.size() && message[at] >= '0' && message[at] <= '9'; ++at)
        value = std::min(ceiling, value * 10 + (message[at] - '0'));
    return negative ? -value : value;
}

std::vector<StatRecord>* Statistics::listOf(std::int32_t category)
{
    switch (category) {
    case 0:
        return &blocked;
    case 1:
        return &quarantined;
    case 2:
        return &accepted;
    default:
        return nullptr;
    }
}

const std::vector<StatRecord>* Statistics::listOf(std::int32_t category) const
{
    return const_cast<Statistics*>(this)->listOf(category);
}

void Statistics::addStatRecord(std::int32_t category, std::int32_t reason, std::string message, std::string detail)
{
    std::vector<StatRecord>* list = listOf(category);
    assert(list != nullptr && "statistics category must be 0, 1 or 2");
    if (list == nullptr)
        return;
    reserveOneMore(*list);
    list->push_back(StatRecord{clock_->nowOleDate(), category, reason, std::move(message), std::move(detail)});
}

void Statistics::clear()
{
    blocked.clear();
    quarantined.clear();
    accepted.clear();
    counters.fill(0);
}

void Statistics::foldIn(StatRecord record, double cutOff)
{
    const std::optional<std::size_t> index = statCounterIndex(record.category, record.reason);
    if (record.isSummary()) {
        if (index)
            addToCounter(counters[*index], summaryCount(record.message));
        return;
    }
    if (record.when < cutOff) {
        if (index)
            addToCounter(counters[*index], 1);
        return;
    }
    if (std::vector<StatRecord>* list = listOf(record.category))
        list->push_back(std::move(record));
}

void writeStatistics(RecordWriter& writer, const Statistics& statistics)
{
    for (const auto* list : {&statistics.accepted, &statistics.quarantined, &statistics.blocked})
        for (const StatRecord& record : *list)
            writeStatRecord(writer, record);
    for (std::size_t i = 0; i < statistics.counters.size(); ++i) {
        if (statistics.counters[i] <= 0)
            continue;
        const auto index = static_cast<std::int32_t>(i);
        writeStatRecord(writer, StatRecord{-1.0, index / 7, index % 7, std::to_string(statistics.counters[i]), {}});
    }
}

} // namespace kvn
