// The record of Statistics.kvn: one blocked, quarantined or accepted e-mail,
// or (with a negative date) a summary record holding a decimal count.
//   marker byte, when float64, category int32, reason int32, message text, detail text
#pragma once

#include "lists/records_read.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kvn {

enum class StatCategory : std::int32_t { Blocked = 0, Quarantined = 1, Accepted = 2 };

struct StatRecord {
    double when = 0.0; // OLE date, local time; negative for a summary record
    std::int32_t category = 0; // 0 blocked, 1 quarantined, 2 accepted
    std::int32_t reason = 0; // 0 unknown, else the deciding list kind minus one
    std::string message;
    std::string detail;

    bool isSummary() const { return when < 0.0; }
    bool operator==(const StatRecord&) const = default;
};

RecordRead readStatRecord(RecordReader& reader, StatRecord& record);
void writeStatRecord(RecordWriter& writer, const StatRecord& record);

RecordsRead<StatRecord> readStatRecords(std::string_view bytes);

} // namespace kvn
