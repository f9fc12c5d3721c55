// Folds arbitrary statistics records as a load does: the first 8 bytes are
// the cut-off date, the rest a Statistics.kvn. The fold must keep exactly the
// records of a known category that are neither summaries nor older than the
// cut-off, in order; with no negative count in play the counters must be the
// clamped sums; and saving what was folded and folding it again must give the
// same statistics (a save followed by a load changes nothing).
#include "lists/statistics.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

bool sameRecord(const kvn::StatRecord& a, const kvn::StatRecord& b)
{
    return std::memcmp(&a.when, &b.when, sizeof a.when) == 0 && a.category == b.category && a.reason == b.reason
        && a.message == b.message && a.detail == b.detail;
}

bool sameLists(const kvn::Statistics& a, const kvn::Statistics& b)
{
    for (std::int32_t category = 0; category < 3; ++category) {
        const auto& left = *a.listOf(category);
        const auto& right = *b.listOf(category);
        if (left.size() != right.size())
            return false;
        for (std::size_t i = 0; i < left.size(); ++i)
            if (!sameRecord(left[i], right[i]))
                return false;
    }
    return true;
}

void fold(kvn::Statistics& statistics, std::string_view bytes, double cutOff)
{
    for (kvn::StatRecord& record : kvn::readStatRecords(bytes).records)
        statistics.foldIn(std::move(record), cutOff);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof(double))
        return 0;
    double cutOff = 0.0;
    std::memcpy(&cutOff, data, sizeof cutOff);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + sizeof cutOff, size - sizeof cutOff);
    const std::vector<kvn::StatRecord> records = kvn::readStatRecords(bytes).records;

    const kvn::SettableClock clock{0.0};
    kvn::Statistics folded(clock);
    fold(folded, bytes, cutOff);

    // What the fold must keep, and the counters when every amount is >= 0.
    std::vector<kvn::StatRecord> kept[3];
    std::int64_t sums[21] = {};
    bool anyNegative = false;
    for (const kvn::StatRecord& record : records) {
        const std::optional<std::size_t> index = kvn::statCounterIndex(record.category, record.reason);
        const bool summary = record.when < 0.0;
        const bool old = !summary && record.when < cutOff;
        if (!summary && !old && record.category >= 0 && record.category <= 2)
            kept[record.category].push_back(record);
        if (!index || (!summary && !old))
            continue;
        const std::int64_t amount = summary ? kvn::summaryCount(record.message) : 1;
        anyNegative = anyNegative || amount < 0;
        sums[*index] += amount;
    }
    for (std::int32_t category = 0; category < 3; ++category) {
        const auto& list = *folded.listOf(category);
        if (list.size() != kept[category].size())
            std::abort();
        for (std::size_t i = 0; i < list.size(); ++i)
            if (!sameRecord(list[i], kept[category][i]))
                std::abort();
    }
    if (!anyNegative) {
        for (std::size_t i = 0; i < 21; ++i) {
            const std::int64_t expected = std::min<std::int64_t>(sums[i], std::numeric_limits<std::int32_t>::max());
            if (folded.counters[i] != expected)
                std::abort();
        }
    }

    // Negative counters are not saved (a save writes counters above zero),
    // so the counters come back the same only without them.
    bool anyNegativeCounter = false;
    for (const std::int32_t counter : folded.counters)
        anyNegativeCounter = anyNegativeCounter || counter < 0;
    kvn::RecordWriter writer;
    kvn::writeStatistics(writer, folded);
    kvn::Statistics again(clock);
    fold(again, writer.bytes(), cutOff);
    if (!sameLists(again, folded) || (!anyNegativeCounter && again.counters != folded.counters))
        std::abort();
    return 0;
}
