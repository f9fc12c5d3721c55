// The record of own.kvn: one of the user's own addresses and the calibration
// text that same-sender protection compares incoming headers with.
//   marker byte, address text, calibration text (empty: not calibrated yet)
#pragma once

#include "lists/records_read.h"

#include <string>
#include <string_view>

namespace kvn {

struct OwnAddressRecord {
    std::string address;
    std::string calibration;

    bool operator==(const OwnAddressRecord&) const = default;
};

RecordRead readOwnAddressRecord(RecordReader& reader, OwnAddressRecord& record);
void writeOwnAddressRecord(RecordWriter& writer, const OwnAddressRecord& record);

RecordsRead<OwnAddressRecord> readOwnAddressRecords(std::string_view bytes);

} // namespace kvn
