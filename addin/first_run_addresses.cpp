#include "addin/first_run_addresses.h"

#include "lists/list_kind.h"
#include "platform/core/utf8_text.h"

#include <algorithm>
#include <iterator>

namespace kvn {
namespace {

bool isGuard(const ListEntry& entry) { return entry.value == firstRunGuardName && entry.extra == firstRunGuardAddress; }

} // namespace

void appendGuard(ListSequence& whiteAddresses)
{
    whiteAddresses.emplace_back(static_cast<std::int32_t>(ListKind::Address), std::string(firstRunGuardName),
        std::string(firstRunGuardAddress), 0, "", "");
}

bool removeGuard(ListSequence& whiteAddresses)
{
    const auto guard = std::find_if(whiteAddresses.rbegin(), whiteAddresses.rend(), isGuard);
    if (guard == whiteAddresses.rend())
        return false;
    whiteAddresses.erase(std::next(guard).base());
    return true;
}

bool looksLikeAddress(std::string_view name) { return name.size() > 1 && name.find('@', 1) != std::string_view::npos; }

bool addWhiteAddress(ListSequence& whiteAddresses, std::string_view address, std::string displayName,
    PresentEntry present, const std::string& today)
{
    if (address.empty())
        return false;
    std::string lowerCase = toLowerUtf8(address);
    std::size_t position = 0;
    for (; position < whiteAddresses.size(); ++position) {
        ListEntry& entry = whiteAddresses[position];
        if (isGuard(entry))
            break;
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
