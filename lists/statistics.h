// The statistics in memory: the records of the blocked, quarantined and
// accepted e-mails in arrival order, and the 21 counters (category*7 + reason)
// of the records folded away at earlier loads.
#pragma once

#include "lists/stat_record.h"
#include "platform/core/clock.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

using StatCounters = std::array<std::int32_t, 21>;

// Records older than this many days are folded into the counters at a load.
inline constexpr double statRecordKeepDays = 7.0;

// The counter of a category and reason, or empty when category*7 + reason
// lies outside 0..20 (such records are neither counted nor kept when old).
std::optional<std::size_t> statCounterIndex(std::int32_t category, std::int32_t reason);

// Adds to a counter without overflowing it.
void addToCounter(std::int32_t& counter, std::int64_t amount);

// The decimal count of a summary record's message: leading digits with an
// optional sign, 0 when there are none.
std::int64_t summaryCount(std::string_view message);

class Statistics {
public:
    explicit Statistics(const Clock& clock) : clock_(&clock) { }

    std::vector<StatRecord> blocked;
    std::vector<StatRecord> quarantined;
    std::vector<StatRecord> accepted;
    StatCounters counters{};

    // The list of a category 0..2; nullptr for any other category.
    std::vector<StatRecord>* listOf(std::int32_t category);
    const std::vector<StatRecord>* listOf(std::int32_t category) const;

    // Appends a record stamped with the clock's now to its category's list.
    // The category must be 0, 1 or 2.
    void addStatRecord(std::int32_t category, std::int32_t reason, std::string message, std::string detail);

    // Empties the lists and zeroes the counters.
    void clear();

    // Takes in one record read from the file: a summary adds its count, a
    // record older than the cut-off adds 1 to its counter, any other record
    // of a known category is appended to its list.
    void foldIn(StatRecord record, double cutOff);

private:
    const Clock* clock_;
};

// The statistics as Statistics.kvn holds them: the accepted, then the
// quarantined, then the blocked records, each list in order; then, by index,
// one summary record (date -1.0, category index / 7, reason index % 7, the
// count in decimal, no detail) per counter above zero. Loading these bytes
// with the same cut-off folds them back into the same statistics.
void writeStatistics(RecordWriter& writer, const Statistics& statistics);

} // namespace kvn
