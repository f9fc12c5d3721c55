#include "tools/kvnctl/list_printing.h"

#include "platform/core/clock.h"
#include "platform/core/file_system.h"
#include "platform/core/xdg_paths.h"

namespace kvn::kvnctl {

const std::array<Column, 7> listEntryColumns = {{{"list", "List"}, {"kind.name", "Kind"}, {"value", "Value"},
    {"extra", "Extra"}, {"dateAdded", "Added"}, {"receivedCount", "Received"}, {"lastReceived", "Last received"}}};

void printListEntry(Printer& printer, const ListEntry& entry)
{
    printer.beginMap();
    printListEntryFields(printer, entry);
    printer.endMap();
}

void printListEntryFields(Printer& printer, const ListEntry& entry)
{
    printer.field("list", entry.isWhite ? "white" : "black");
    printer.key("kind");
    printer.beginMap();
    printer.field("code", static_cast<std::int64_t>(entry.kind));
    printer.field("name", isListKind(entry.kind) ? listKindName(static_cast<ListKind>(entry.kind)) : "unknown");
    printer.endMap();
    printer.field("value", entry.value);
    printer.field("extra", entry.extra);
    printer.field("receivedCount", static_cast<std::int64_t>(entry.receivedCount));
    printer.field("dateAdded", entry.dateAdded);
    printer.field("lastReceived", entry.lastReceived);
    printer.field("isWhite", entry.isWhite);
}

ListKind parseKindWord(const std::string& word)
{
    static const std::pair<const char*, ListKind> words[]
        = {{"address", ListKind::Address}, {"domain", ListKind::Domain}, {"word", ListKind::Word},
            {"filetype", ListKind::FileType}, {"iprange", ListKind::IpRange}, {"country", ListKind::Country}};
    for (const auto& [name, kind] : words)
        if (word == name)
            return kind;
    throw UsageError("unknown kind \"" + word + "\"; use address, domain, word, filetype, iprange or country");
}

bool takePolarity(Arguments& arguments)
{
    const bool white = arguments.takeFlag("--white");
    const bool black = arguments.takeFlag("--black");
    if (white == black)
        throw UsageError("give exactly one of --white and --black");
    return white;
}

std::optional<ProfileData> loadForReading(CommandContext& context, int& status)
{
    const std::string installDir = context.installDir();
    (void)context.dataFolder(); // refuses a profile name that is not a folder name
    std::optional<ProfileData> data(
        std::in_place, installDir, context.options.profile, realFileSystem(), systemClock());
    status = exitSuccess;
    // Before the first write even the default installation folder may be
    // missing: a new profile, whose lists are empty.
    if (!context.options.installDir && installDir == defaultInstallDir() && !realFileSystem().isFolder(installDir))
        return data;
    // Read-only: a reader holds no lock, so it must never create or replace
    // a file a writer may be saving. A file cut short shows what was read,
    // with the warning readAll printed.
    if (!data->readAll().allRead()) {
        status = context.fail("the profile's data could not be read (see above)");
        return std::nullopt;
    }
    return data;
}

} // namespace kvn::kvnctl
