#include "tools/kvnctl/lists_editing.h"

#include "lists/entry_presence.h"
#include "lists/profile_data.h"
#include "platform/core/clock.h"
#include "platform/core/ole_date.h"
#include "platform/core/profile_lock.h"
#include "tools/kvnctl/list_printing.h"
#include "tools/kvnctl/list_requests.h"

#include <algorithm>
#include <filesystem>

namespace kvn::kvnctl {
namespace {

const char* listName(bool white) { return white ? "white list" : "black list"; }

// The default installation folder is created on first use, as programs do
// with their XDG data folder; one given with --install-dir must exist.
void createDefaultInstallDir(const CommandContext& context)
{
    if (context.options.installDir)
        return;
    std::error_code ignored;
    if (std::filesystem::create_directories(context.installDir(), ignored))
        std::filesystem::permissions(context.installDir(), std::filesystem::perms::owner_all, ignored);
}

// "--keep-what-was-read": save a profile whose files were cut short with the
// records read before the cut (the whole originals are kept beside them).
bool takeKeepWhatWasRead(CommandContext& context) { return context.arguments.takeFlag("--keep-what-was-read"); }

std::string cutShortRefusal(const DataProblems& loaded)
{
    std::string names;
    for (const DataFile file : loaded.cutShort)
        names += std::string(names.empty() ? "" : ", ") + dataFileName(file);
    return names
        + " ended in a record cut short (see above), so saving now would leave out whatever followed the cut; "
          "nothing was written. The whole original is kept beside it. To save the profile with the records that "
          "were read, run the command again with --keep-what-was-read";
}

// Loads, lets change() alter the lists, saves; all under the profile's lock.
template <class Change> int editProfile(CommandContext& context, bool keepWhatWasRead, Change change)
{
    createDefaultInstallDir(context);
    if (const Status ready = prepareDataFolder(realFileSystem(), context.installDir(), context.dataFolder());
        !ready.ok())
        return context.fail(ready.error());
    // Another kvnctl is done in a moment and is waited for; the host is not.
    auto lock = ProfileLock::acquire(context.dataFolder(), {"kvnctl", context.options.lockWait});
    if (const std::string* why = std::get_if<std::string>(&lock))
        return context.lockRefused(*why);
    ProfileData data(context.installDir(), context.options.profile, realFileSystem(), systemClock());
    const DataProblems loaded = data.loadAll();
    if (!loaded.allRead())
        return context.fail("the profile's data could not be read (see above); nothing was written");
    if (!loaded.cutShort.empty() && !keepWhatWasRead)
        return context.fail(cutShortRefusal(loaded));
    const int status = change(data);
    if (status != exitSuccess)
        return status;
    if (!data.saveAll().ok())
        return context.fail("the profile's data could not be saved whole (see above)");
    return exitSuccess;
}

// An entry added, with where it went.
struct Added {
    ListEntry entry;
    int position;
};

int positionOf(const ListSequence& sequence, const ListEntry& entry)
{
    const auto found = std::find(sequence.begin(), sequence.end(), entry);
    return found == sequence.end() ? -1 : static_cast<int>(found - sequence.begin());
}

// Adds one value by the Add command's rules; false (after saying why) when
// the lists already cover it.
bool addOne(CommandContext& context, FilterLists& lists, const AddRequest& request, const EntryTexts& texts,
    std::vector<Added>& added, std::vector<ListEntry>& moved)
{
    const LookupMatch match = findForAdd(lists, request.white, request.kind, texts);
    switch (match.result) {
    case LookupResult::NoKey:
        return false;
    case LookupResult::InAskedList:
    case LookupResult::DomainInAskedList:
        context.err << "kvnctl: " << alreadyPresentText(request.kind, request.white, texts) << '\n';
        return false;
    case LookupResult::InOtherList:
    case LookupResult::DomainInOtherList:
        if (!request.move || !canMoveFromOtherList(request.kind)) {
            context.err << "kvnctl: " << inOtherListText(request.kind, request.white, texts)
                        << (canMoveFromOtherList(request.kind) ? " (--move moves it)" : "") << '\n';
            return false;
        }
        moved.push_back(lists.sequence(request.kind, !request.white)[static_cast<std::size_t>(match.position)]);
        removeEntry(lists, request.kind, !request.white, match.position);
        break;
    case LookupResult::NotFound:
        break;
    }
    const std::string today = formatDottedDate(systemClock().nowLocal());
    ListEntry entry(listKindCode(request.kind), texts.value, texts.extra, 0, today, "");
    entry.isWhite = request.white;
    int position = -1;
    if (request.kind == ListKind::Address) {
        position = insertAddressEntry(lists, request.white, entry);
    } else {
        ListSequence& sequence = lists.sequence(request.kind, request.white);
        position = static_cast<int>(sequence.size());
        sequence.push_back(entry);
    }
    added.push_back({entry, position});
    return true;
}

} // namespace

int addListEntry(CommandContext& context)
{
    auto printer = context.takePrinter();
    const bool keepWhatWasRead = takeKeepWhatWasRead(context);
    const AddRequest request = readAddRequest(context.arguments);
    std::vector<Added> added;
    std::vector<ListEntry> moved;
    const int status = editProfile(context, keepWhatWasRead, [&](ProfileData& data) {
        for (const EntryTexts& texts : request.entries)
            addOne(context, data.lists(), request, texts, added, moved);
        // An address inserted before one added earlier moves it on: each
        // entry is reported where it stands once all are in.
        for (Added& entry : added)
            entry.position = positionOf(data.lists().sequence(request.kind, request.white), entry.entry);
        return added.empty() ? exitNothingToChange : static_cast<int>(exitSuccess);
    });
    if (status == exitNothingToChange)
        context.err << "kvnctl: nothing was added; nothing was written\n";
    if (status != exitSuccess)
        return status;
    printer->beginMap();
    printer->key("added");
    printer->beginTable(listEntryColumns, {"added", "added"});
    for (const Added& entry : added) {
        printer->beginMap();
        printListEntryFields(*printer, entry.entry);
        printer->field("position", entry.position);
        printer->endMap();
    }
    printer->endTable();
    printer->key("movedFromOtherList");
    printer->beginTable(listEntryColumns, {"moved", "moved"});
    for (const ListEntry& entry : moved)
        printListEntry(*printer, entry);
    printer->endTable();
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

int removeListEntry(CommandContext& context)
{
    auto printer = context.takePrinter();
    const bool keepWhatWasRead = takeKeepWhatWasRead(context);
    const RemoveRequest request = readRemoveRequest(context.arguments);
    ListEntry removed;
    const int status = editProfile(context, keepWhatWasRead, [&](ProfileData& data) {
        const ListSequence& sequence = data.lists().sequence(request.kind, request.white);
        const int position = positionIn(sequence, request);
        if (position < 0)
            return context.nothingToChange(
                std::string("not on the ") + listName(request.white) + "; nothing was written");
        removed = sequence[static_cast<std::size_t>(position)];
        removeEntry(data.lists(), request.kind, request.white, position);
        return static_cast<int>(exitSuccess);
    });
    if (status != exitSuccess)
        return status;
    printer->beginMap();
    printer->key("removed");
    printListEntry(*printer, removed);
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

} // namespace kvn::kvnctl
