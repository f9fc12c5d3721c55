#include "lists/list_records.h"

namespace kvn {

RecordRead readListEntryRecord(RecordReader& reader, ListEntry& entry)
{
    std::uint8_t marker = 0;
    if (!reader.readByte(marker))
        return RecordRead::EndOfInput;
    std::uint8_t isWhite = 0;
    const bool whole = reader.readInt32(entry.kind) && reader.readText(entry.value) && reader.readText(entry.extra)
        && reader.readInt32(entry.receivedCount) && reader.readText(entry.dateAdded)
        && reader.readText(entry.lastReceived) && reader.readByte(isWhite);
    if (!whole)
        return RecordRead::CutShort;
    entry.isWhite = isWhite != 0;
    return RecordRead::Record;
}

void writeListEntryRecord(RecordWriter& writer, const ListEntry& entry)
{
    writer.writeMarker();
    writer.writeInt32(entry.kind);
    writer.writeText(entry.value);
    writer.writeText(entry.extra);
    writer.writeInt32(entry.receivedCount);
    writer.writeText(entry.dateAdded);
    writer.writeText(entry.lastReceived);
    writer.writeByte(entry.isWhite ? 1 : 0);
}

RecordsRead<ListEntry> readListRecords(std::string_view bytes)
{
    return readAllRecords<ListEntry>(bytes, readListEntryRecord);
}

} // namespace kvn
