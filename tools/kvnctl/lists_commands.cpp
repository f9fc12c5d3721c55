// kvnctl lists show|add|remove|dump: the white and black lists of a profile,
// and any file in the lists-file format as the record reader sees it.
#include "lists/list_records.h"
#include "platform/core/file_system.h"
#include "tools/kvnctl/list_printing.h"
#include "tools/kvnctl/lists_editing.h"

namespace kvn::kvnctl {
namespace {

// A record of any lists file, with the code of a kind the lists do not know.
const std::array<Column, 9> dumpColumns = {{{"entry.list", "List"}, {"entry.kind.code", "Code"},
    {"entry.kind.name", "Kind"}, {"entry.value", "Value"}, {"entry.extra", "Extra"}, {"entry.dateAdded", "Added"},
    {"entry.receivedCount", "Received"}, {"entry.lastReceived", "Last received"}, {"skipped", "Skipped"}}};

int showLists(CommandContext& context)
{
    const bool onlyWhite = context.arguments.takeFlag("--white");
    const bool onlyBlack = context.arguments.takeFlag("--black");
    const std::optional<std::string> kindWord = context.arguments.takeOption("--kind");
    auto printer = context.takePrinter();
    context.arguments.expectNoMore();
    if (onlyWhite && onlyBlack)
        throw UsageError("give at most one of --white and --black");
    // Code 0 stands for "every kind".
    const std::int32_t onlyKind = kindWord ? listKindCode(parseKindWord(*kindWord)) : 0;

    int status = exitSuccess;
    const std::optional<ProfileData> data = loadForReading(context, status);
    if (!data)
        return status;
    std::int64_t shown[2] = {0, 0};
    printer->beginMap();
    printer->key("entries");
    printer->beginTable(listEntryColumns, {"entry", "entries"});
    for (const bool white : {true, false}) {
        if ((onlyWhite && !white) || (onlyBlack && white))
            continue;
        for (const ListKind kind : allListKinds) {
            if (onlyKind != 0 && onlyKind != listKindCode(kind))
                continue;
            for (const ListEntry& entry : data->lists().sequence(kind, white)) {
                // The list is the sequence's, whatever the stored flag said.
                ListEntry shownEntry = entry;
                shownEntry.isWhite = white;
                printListEntry(*printer, shownEntry);
                ++shown[white ? 0 : 1];
            }
        }
    }
    printer->endTable();
    printer->key("totals");
    printer->beginMap();
    printer->field("white", shown[0]);
    printer->field("black", shown[1]);
    printer->endMap();
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

int dumpListsFile(CommandContext& context)
{
    const std::string path = context.arguments.takeWord("FILE");
    auto printer = context.takePrinter();
    context.arguments.expectNoMore();
    const FileContents contents = realFileSystem().readFile(path, maxDataFileBytes);
    if (!contents.status.ok())
        return context.fail(contents.status.error());
    if (!contents.existed)
        return context.fail("no such file: " + path);

    const RecordsRead<ListEntry> read = readListRecords(contents.bytes);
    printer->beginMap();
    printer->key("records");
    printer->beginTable(dumpColumns, {"record", "records"});
    for (const ListEntry& entry : read.records) {
        printer->beginMap();
        printer->key("entry");
        printListEntry(*printer, entry);
        printer->field("skipped", !isListKind(entry.kind));
        printer->endMap();
    }
    printer->endTable();
    printer->key("end");
    printer->beginMap();
    printer->field("complete", read.end.complete);
    if (!read.end.complete)
        printer->field("cutAt", static_cast<std::int64_t>(read.end.cutAt));
    printer->field("description", describeReadEnd(read.end));
    printer->endMap();
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

} // namespace

int runListsCommand(CommandContext& context)
{
    const std::string action = context.arguments.takeWord("show, add, remove or dump");
    if (action == "show")
        return showLists(context);
    if (action == "add")
        return addListEntry(context);
    if (action == "remove")
        return removeListEntry(context);
    if (action == "dump")
        return dumpListsFile(context);
    throw UsageError("unknown lists command \"" + action + "\"");
}

} // namespace kvn::kvnctl
