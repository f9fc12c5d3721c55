#include "tools/kvnctl/lists_editing.h"

#include "lists/entry_presence.h"
#include "lists/entry_rules.h"
#include "lists/list_matching.h"
#include "lists/profile_data.h"
#include "platform/core/clock.h"
#include "platform/core/ole_date.h"
#include "platform/core/profile_lock.h"
#include "platform/core/utf8_text.h"
#include "tools/kvnctl/list_printing.h"

#include <algorithm>
#include <filesystem>

namespace kvn::kvnctl {
namespace {

// What "lists add" was asked to add: the entries as the add-item rules read
// the command line's value (and --name, --to), in input order.
struct AddRequest {
    bool white;
    ListKind kind;
    std::vector<EntryTexts> entries;
    bool move; // take a value the other list covers off it (the dialog's "Yes")
};

// What "lists remove" was asked to remove.
struct RemoveRequest {
    bool white;
    ListKind kind;
    std::string value; // as typed
    std::string upper; // an IP range's upper bound, or empty for any
};

std::string refusalText(const InputRefusal& refusal) { return refusal.title + ": " + refusal.text; }

// The value and --name / --to as the add-item dialog's two fields.
AddRequest readAddRequest(Arguments& arguments)
{
    AddRequest request{takePolarity(arguments), ListKind::Address, {}, arguments.takeFlag("--move")};
    const std::optional<std::string> name = arguments.takeOption("--name");
    const std::optional<std::string> upper = arguments.takeOption("--to");
    request.kind = parseKindWord(arguments.takeWord("KIND"));
    const std::string value = arguments.takeWord("VALUE");
    arguments.expectNoMore();
    if (name && request.kind != ListKind::Address)
        throw UsageError("--name is for e-mail addresses only");
    if (upper && request.kind != ListKind::IpRange)
        throw UsageError("--to is for IP ranges only");
    const bool isAddress = request.kind == ListKind::Address;
    AddItemInput input
        = readAddItemInput(request.kind, isAddress ? name.value_or("") : value, isAddress ? value : upper.value_or(""));
    if (input.refusal)
        throw UsageError(refusalText(*input.refusal));
    // Empty values (two commas in a row) are skipped, as the Add command does.
    std::erase_if(
        input.entries, [&](const EntryTexts& entry) { return isBlank(isAddress ? entry.extra : entry.value); });
    if (input.entries.empty())
        throw UsageError("there is no value to add");
    request.entries = std::move(input.entries);
    return request;
}

RemoveRequest readRemoveRequest(Arguments& arguments)
{
    RemoveRequest request{takePolarity(arguments), ListKind::Address, {}, {}};
    const std::optional<std::string> upper = arguments.takeOption("--to");
    request.kind = parseKindWord(arguments.takeWord("KIND"));
    request.value = arguments.takeWord("VALUE");
    arguments.expectNoMore();
    if (isBlank(request.value))
        throw UsageError("the value is empty");
    if (upper && request.kind != ListKind::IpRange)
        throw UsageError("--to is for IP ranges only");
    if (request.kind == ListKind::IpRange) {
        const std::optional<std::uint32_t> lower = parseDottedQuad(request.value);
        const std::optional<std::uint32_t> upperBound = upper ? parseDottedQuad(*upper) : lower;
        if (!lower || !upperBound)
            throw UsageError("Invalid IP: Please enter valid IP addresses");
        request.value = formatDottedQuad(*lower);
        request.upper = upper ? formatDottedQuad(*upperBound) : std::string();
    }
    return request;
}

// Removal finds an entry as typed or as the add-item rules would store it,
// ignoring case, so that entries stored before those rules can go too.
bool isNamedBy(const RemoveRequest& request, const ListEntry& entry)
{
    switch (request.kind) {
    case ListKind::Address:
        return equalsIgnoringCase(entry.extra, request.value);
    case ListKind::Domain:
    case ListKind::Word:
    case ListKind::FileType:
    case ListKind::Country: {
        const AddItemInput normalised = readAddItemInput(request.kind, request.value);
        const bool asStored
            = normalised.entries.size() == 1 && equalsIgnoringCase(entry.value, normalised.entries.front().value);
        return asStored || equalsIgnoringCase(entry.value, request.value);
    }
    case ListKind::IpRange:
        return entry.value == request.value && (request.upper.empty() || entry.extra == request.upper);
    }
    return false;
}

int positionIn(const ListSequence& sequence, const RemoveRequest& request)
{
    for (std::size_t i = 0; i < sequence.size(); ++i)
        if (isNamedBy(request, sequence[i]))
            return static_cast<int>(i);
    return -1;
}

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

// Loads, lets change() alter the lists, saves; all under the profile's lock.
template <class Change> int editProfile(CommandContext& context, Change change)
{
    createDefaultInstallDir(context);
    if (const Status ready = prepareDataFolder(realFileSystem(), context.installDir(), context.dataFolder());
        !ready.ok())
        return context.fail(ready.error());
    auto lock = ProfileLock::acquire(context.dataFolder());
    if (const std::string* why = std::get_if<std::string>(&lock))
        return context.lockRefused(*why);
    ProfileData data(context.installDir(), context.options.profile, realFileSystem(), systemClock());
    if (!data.loadAll().ok())
        return context.fail("the profile's data could not be read whole (see above); nothing was written");
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
    const std::string today = formatLocalTime(systemClock().nowLocal(), "%Y.%m.%d");
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
    const AddRequest request = readAddRequest(context.arguments);
    std::vector<Added> added;
    std::vector<ListEntry> moved;
    const int status = editProfile(context, [&](ProfileData& data) {
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
    const RemoveRequest request = readRemoveRequest(context.arguments);
    ListEntry removed;
    const int status = editProfile(context, [&](ProfileData& data) {
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
