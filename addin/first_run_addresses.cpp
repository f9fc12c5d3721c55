#include "addin/first_run_addresses.h"

#include "lists/list_kind.h"
#include "platform/core/utf8_text.h"

namespace kvn {
namespace {

bool isGuard(const ListEntry& entry) { return entry.value == firstRunGuardName && entry.extra == firstRunGuardAddress; }

// The entries the walk compares: all of them but a guard standing last.
std::size_t walkedEntries(const ListSequence& whiteAddresses)
{
    const bool guardLast = !whiteAddresses.empty() && isGuard(whiteAddresses.back());
    return whiteAddresses.size() - (guardLast ? 1 : 0);
}

} // namespace

void appendGuard(ListSequence& whiteAddresses)
{
    whiteAddresses.emplace_back(static_cast<std::int32_t>(ListKind::Address), std::string(firstRunGuardName),
        std::string(firstRunGuardAddress), 0, "", "");
}

bool removeGuard(ListSequence& whiteAddresses)
{
    if (whiteAddresses.empty() || !isGuard(whiteAddresses.back()))
        return false;
    whiteAddresses.pop_back();
    return true;
}

bool looksLikeAddress(std::string_view name) { return name.size() > 1 && name.find('@', 1) != std::string_view::npos; }

bool addWhiteAddress(ListSequence& whiteAddresses, std::string_view address, std::string displayName,
    PresentEntry present, const std::string& today)
{
    if (address.empty())
        return false;
    std::string lowerCase = toLowerUtf8(address);
    const std::size_t walked = walkedEntries(whiteAddresses);
    std::size_t position = 0;
    for (; position < walked; ++position) {
        ListEntry& entry = whiteAddresses[position];
        const int order = compareIgnoringCase(lowerCase, entry.extra);
        if (order == 0) {
            if (present == PresentEntry::NameTheAddress && looksLikeAddress(entry.value))
                entry.value = std::move(displayName);
            return false;
        }
        if (order < 0)
            break;
    }
    ListEntry added(
        static_cast<std::int32_t>(ListKind::Address), std::move(displayName), std::move(lowerCase), 0, today, "");
    added.isWhite = true;
    whiteAddresses.insert(whiteAddresses.begin() + static_cast<std::ptrdiff_t>(position), std::move(added));
    return true;
}

} // namespace kvn
