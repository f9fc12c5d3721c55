// The import of the first-run configuration: an older lists file (a backup or
// another profile's lists.lst) chosen by the user, whose entries start the
// new lists.
#pragma once

#include "lists/filter_lists.h"
#include "platform/core/file_system.h"
#include "platform/core/status.h"

#include <string>
#include <vector>

namespace kvn {

struct ImportedLists {
    Status status = Status::success(); // why nothing could be read
    std::vector<ListEntry> records; // in file order; kinds outside 2..7 included
};

// Every record of the file up to the first one cut short. A file that cannot
// be read (missing, unreadable, not a regular file, larger than a data file
// may be) gives no records and says why. Takes no lock.
ImportedLists readImportedLists(FileSystem& files, const std::string& path);

// Appends each record to the end of the sequence of its polarity and kind,
// skipping kinds outside 2..7, without looking for duplicates; then sorts the
// white and black Address sequences by address as the lists file is written.
// Leaves the FirstCharIndex texts alone. The caller holds the engine lock.
void appendImportedLists(FilterLists& lists, std::vector<ListEntry> records);

} // namespace kvn
