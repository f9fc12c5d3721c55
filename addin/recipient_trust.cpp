#include "addin/recipient_trust.h"

#include "lists/list_kind.h"
#include "platform/core/ole_date.h"

#include <algorithm>

namespace kvn {
namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c); });
    return text;
}

} // namespace

std::vector<RecipientAddress> recipientsOf(outlook::SafeMailItem& mail)
{
    std::vector<RecipientAddress> found;
    const auto recipients = mail.recipients();
    if (!recipients)
        return found;
    for (std::size_t index = 1; index <= recipients->count(); ++index)
        if (const auto entry = recipients->item(index))
            found.push_back({entry->name, entry->address});
    return found;
}

int trustRecipients(
    FilterLists& lists, std::mutex& lock, const std::vector<RecipientAddress>& recipients, const Clock& clock)
{
    const std::string today = formatDottedDate(clock.nowLocal());
    int added = 0;
    for (const RecipientAddress& recipient : recipients) {
        const std::string address = lowered(recipient.address);
        if (address.empty())
            continue;
        std::lock_guard<std::mutex> hold(lock);
        if (lists.findDomain(address, true).result != LookupResult::NotFound)
            continue;
        ListEntry entry(listKindCode(ListKind::Address), recipient.displayName, address, 0, today, "");
        entry.isWhite = true;
        if (lists.findAddress(entry, true).result != LookupResult::NotFound)
            continue;
        insertAddressEntry(lists, true, entry);
        ++added;
    }
    return added;
}

} // namespace kvn
