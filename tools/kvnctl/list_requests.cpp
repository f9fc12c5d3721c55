#include "tools/kvnctl/list_requests.h"

#include "lists/list_matching.h"
#include "platform/core/utf8_text.h"
#include "tools/kvnctl/list_printing.h"

#include <algorithm>

namespace kvn::kvnctl {
namespace {

std::string refusalText(const InputRefusal& refusal) { return refusal.title + ": " + refusal.text; }

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

} // namespace

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

int positionIn(const ListSequence& sequence, const RemoveRequest& request)
{
    for (std::size_t i = 0; i < sequence.size(); ++i)
        if (isNamedBy(request, sequence[i]))
            return static_cast<int>(i);
    return -1;
}

} // namespace kvn::kvnctl
