#include "addin/first_run_import.h"

#include "lists/extra_sort.h"
#include "lists/list_kind.h"
#include "lists/list_records.h"
#include "lists/profile_data.h"

namespace kvn {

ImportedLists readImportedLists(FileSystem& files, const std::string& path)
{
    ImportedLists imported;
    FileContents contents = files.readFile(path, maxDataFileBytes);
    if (!contents.status.ok()) {
        imported.status = contents.status;
        return imported;
    }
    if (!contents.existed) {
        imported.status = Status::failure("There is no file " + path);
        return imported;
    }
    imported.records = readListRecords(contents.bytes).records;
    return imported;
}

void appendImportedLists(FilterLists& lists, std::vector<ListEntry> records)
{
    for (ListEntry& record : records) {
        if (!isListKind(record.kind))
            continue;
        const bool white = record.isWhite;
        lists.sequence(static_cast<ListKind>(record.kind), white).push_back(std::move(record));
    }
    sortByExtra(lists.sequence(ListKind::Address, true));
    sortByExtra(lists.sequence(ListKind::Address, false));
}

} // namespace kvn
