#include "lists/own_address_record.h"

namespace kvn {

RecordRead readOwnAddressRecord(RecordReader& reader, OwnAddressRecord& record)
{
    std::uint8_t marker = 0;
    if (!reader.readByte(marker))
        return RecordRead::EndOfInput;
    if (!reader.readText(record.address) || !reader.readText(record.calibration))
        return RecordRead::CutShort;
    return RecordRead::Record;
}

void writeOwnAddressRecord(RecordWriter& writer, const OwnAddressRecord& record)
{
    writer.writeMarker();
    writer.writeText(record.address);
    writer.writeText(record.calibration);
}

RecordsRead<OwnAddressRecord> readOwnAddressRecords(std::string_view bytes)
{
    return readAllRecords<OwnAddressRecord>(bytes, readOwnAddressRecord);
}

} // namespace kvn
