#include "lists/stat_record.h"

namespace kvn {

RecordRead readStatRecord(RecordReader& reader, StatRecord& record)
{
    std::uint8_t marker = 0;
    if (!reader.readByte(marker))
        return RecordRead::EndOfInput;
    const bool whole = reader.readFloat64(record.when) && reader.readInt32(record.category)
        && reader.readInt32(record.reason) && reader.readText(record.message) && reader.readText(record.detail);
    return whole ? RecordRead::Record : RecordRead::CutShort;
}

void writeStatRecord(RecordWriter& writer, const StatRecord& record)
{
    writer.writeMarker();
    writer.writeFloat64(record.when);
    writer.writeInt32(record.category);
    writer.writeInt32(record.reason);
    writer.writeText(record.message);
    writer.writeText(record.detail);
}

RecordsRead<StatRecord> readStatRecords(std::string_view bytes)
{
    return readAllRecords<StatRecord>(bytes, readStatRecord);
}

} // namespace kvn
