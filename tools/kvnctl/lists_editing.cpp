#include "tools/kvnctl/lists_editing.h"

#include "lists/list_matching.h"
#include "lists/profile_data.h"
#include "platform/core/clock.h"
#include "platform/core/ole_date.h"
#include "platform/core/profile_lock.h"
#include "platform/core/utf8_text.h"
#include "tools/kvnctl/list_printing.h"

#include <filesystem>

namespace kvn::kvnctl {
namespace {

struct EditRequest {
    bool white;
    ListKind kind;
    std::string value;
    std::string extra;
};

std::string dottedQuadOrThrow(const std::string& text)
{
    const std::optional<std::uint32_t> address = parseDottedQuad(text);
    if (!address)
        throw UsageError("\"" + text + "\" is not an IP address like 192.168.0.1");
    return formatDottedQuad(*address);
}

// Checks and normalises the command line's entry as the add-item dialog does.
EditRequest readRequest(CommandContext& context, bool forAdding)
{
    EditRequest request{takePolarity(context.arguments), ListKind::Address, {}, {}};
    const std::optional<std::string> name = forAdding ? context.arguments.takeOption("--name") : std::nullopt;
    const std::optional<std::string> upper = context.arguments.takeOption("--to");
    request.kind = parseKindWord(context.arguments.takeWord("KIND"));
    const std::string value = context.arguments.takeWord("VALUE");
    context.arguments.expectNoMore();
    if (value.empty())
        throw UsageError("the value is empty");
    if (name && request.kind != ListKind::Address)
        throw UsageError("--name is for e-mail addresses only");
    if (upper && request.kind != ListKind::IpRange)
        throw UsageError("--to is for IP ranges only");
    switch (request.kind) {
    case ListKind::Address:
        if (value.find('@') == std::string::npos)
            throw UsageError("\"" + value + "\" is not an e-mail address (no \"@\")");
        request.value = name.value_or("");
        request.extra = toLowerUtf8(value);
        break;
    case ListKind::Domain:
        if (value.find('@') != std::string::npos || value.find(' ') != std::string::npos)
            throw UsageError("\"" + value + "\" is not a domain: give the part after \"@\"");
        request.value = value;
        break;
    case ListKind::Word:
        request.value = toLowerUtf8(value);
        break;
    case ListKind::FileType:
        request.value = toLowerUtf8(value.front() == '.' ? value.substr(1) : value);
        if (request.value.empty() || request.value.find('.') != std::string::npos)
            throw UsageError("\"" + value + "\" is not a file type like exe or .exe");
        break;
    case ListKind::IpRange:
        request.value = dottedQuadOrThrow(value);
        if (forAdding && !upper)
            throw UsageError("an IP range needs its upper bound: --to UPPER");
        request.extra = upper ? dottedQuadOrThrow(*upper) : std::string();
        if (upper && *parseDottedQuad(request.extra) < *parseDottedQuad(request.value))
            throw UsageError("the upper bound " + request.extra + " is below the lower bound " + request.value);
        break;
    case ListKind::Country:
        request.value = value;
        break;
    }
    return request;
}

bool sameEntry(const EditRequest& request, const ListEntry& entry)
{
    switch (request.kind) {
    case ListKind::Address:
        return equalsIgnoringCase(entry.extra, request.extra);
    case ListKind::Domain:
    case ListKind::Word:
        return entry.value == request.value;
    case ListKind::FileType:
    case ListKind::Country:
        return equalsIgnoringCase(entry.value, request.value);
    case ListKind::IpRange:
        return entry.value == request.value && (request.extra.empty() || entry.extra == request.extra);
    }
    return false;
}

int positionIn(const ListSequence& sequence, const EditRequest& request)
{
    for (std::size_t i = 0; i < sequence.size(); ++i)
        if (sameEntry(request, sequence[i]))
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
    // Another kvnctl is done in a moment and is waited for; the host is not.
    auto lock = ProfileLock::acquire(context.dataFolder(), {"kvnctl", context.options.lockWait});
    if (const std::string* why = std::get_if<std::string>(&lock))
        return context.fail(*why);
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

} // namespace

int addListEntry(CommandContext& context)
{
    auto printer = context.takePrinter();
    const EditRequest request = readRequest(context, true);
    ListEntry entry;
    int position = -1;
    const int status = editProfile(context, [&](ProfileData& data) {
        for (const bool white : {request.white, !request.white}) {
            if (positionIn(data.lists().sequence(request.kind, white), request) >= 0)
                return context.fail(std::string("already on the ") + listName(white) + "; nothing was written");
        }
        const std::string today = formatLocalTime(systemClock().nowLocal(), "%Y.%m.%d");
        entry = ListEntry(listKindCode(request.kind), request.value, request.extra, 0, today, "");
        entry.isWhite = request.white;
        if (request.kind == ListKind::Address) {
            position = insertAddressEntry(data.lists(), request.white, entry);
        } else {
            ListSequence& sequence = data.lists().sequence(request.kind, request.white);
            position = static_cast<int>(sequence.size());
            sequence.push_back(entry);
        }
        return static_cast<int>(exitSuccess);
    });
    if (status != exitSuccess)
        return status;
    printer->beginMap();
    printer->key("added");
    printListEntry(*printer, entry);
    printer->field("position", position);
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

int removeListEntry(CommandContext& context)
{
    auto printer = context.takePrinter();
    const EditRequest request = readRequest(context, false);
    ListEntry removed;
    const int status = editProfile(context, [&](ProfileData& data) {
        const ListSequence& sequence = data.lists().sequence(request.kind, request.white);
        const int position = positionIn(sequence, request);
        if (position < 0)
            return context.fail(std::string("not on the ") + listName(request.white) + "; nothing was written");
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
