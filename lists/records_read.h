// Reading every record of a data file with one record reader: the records
// before the first one that is cut short, and how reading ended.
#pragma once

#include "lists/record_format.h"

#include <string_view>
#include <vector>

namespace kvn {

template <class Record> struct RecordsRead {
    std::vector<Record> records;
    ReadEnd end;
};

// readOne(RecordReader&, Record&) -> RecordRead. Reading stops at the end of
// the input or at the first record cut short; what came before it is kept.
template <class Record, class ReadOne> RecordsRead<Record> readAllRecords(std::string_view bytes, ReadOne readOne)
{
    RecordsRead<Record> result;
    RecordReader reader(bytes);
    for (;;) {
        const std::size_t start = reader.offset();
        Record record;
        const RecordRead outcome = readOne(reader, record);
        if (outcome == RecordRead::EndOfInput)
            return result;
        if (outcome == RecordRead::CutShort) {
            result.end = ReadEnd{false, start};
            return result;
        }
        result.records.push_back(std::move(record));
    }
}

} // namespace kvn
