// The record of lists.lst (and of list backups): one ListEntry.
//   marker byte, kind int32, value text, extra text, receivedCount int32,
//   dateAdded text, lastReceived text, isWhite byte (1 white, 0 black)
#pragma once

#include "lists/list_entry.h"
#include "lists/records_read.h"

#include <string_view>

namespace kvn {

// Any kind code is read as it is, so that a caller can skip the kinds outside
// 2..7; any non-zero isWhite byte reads as white. The text fields are stored
// exactly as read (extra is not lower-cased again).
RecordRead readListEntryRecord(RecordReader& reader, ListEntry& entry);
void writeListEntryRecord(RecordWriter& writer, const ListEntry& entry);

RecordsRead<ListEntry> readListRecords(std::string_view bytes);

} // namespace kvn
