#include "ui/list_changes.h"

#include "lists/list_kind.h"
#include "platform/core/ole_date.h"

namespace kvn::judge {
namespace {

std::string today(const Clock& clock) { return formatDottedDate(clock.nowLocal()); }

ListEntry addressEntry(const std::string& displayName, const std::string& address, bool white, const Clock& clock)
{
    ListEntry entry(listKindCode(ListKind::Address), displayName, address, 0, today(clock), "");
    entry.isWhite = white;
    return entry;
}

} // namespace

LookupResult lookupDomain(JudgeContext& context, const std::string& address, bool trust)
{
    std::lock_guard<std::mutex> hold(context.lock);
    return context.lists.findDomain(address, trust).result;
}

LookupResult lookupAddress(JudgeContext& context, const std::string& address, bool trust)
{
    const ListEntry probe(listKindCode(ListKind::Address), "", address, 0, "", "");
    std::lock_guard<std::mutex> hold(context.lock);
    return context.lists.findAddress(probe, trust).result;
}

void trustOrBlockAddress(JudgeContext& context, const std::string& displayName, const std::string& address, bool trust)
{
    const ListEntry entry = addressEntry(displayName, address, trust, context.clock);
    std::lock_guard<std::mutex> hold(context.lock);
    const LookupMatch found = context.lists.findAddress(entry, trust);
    if (found.result != LookupResult::InOtherList && found.result != LookupResult::NotFound)
        return;
    // Inserting into this polarity leaves the positions of the other one as
    // findAddress gave them.
    insertAddressEntry(context.lists, trust, entry);
    if (found.result == LookupResult::InOtherList)
        removeEntry(context.lists, ListKind::Address, !trust, found.position);
}

std::vector<ListEntry> takeAddressesOfDomain(JudgeContext& context, bool white, const std::string& domain)
{
    std::vector<ListEntry> taken;
    std::lock_guard<std::mutex> hold(context.lock);
    const ListSequence& addresses = context.lists.sequence(ListKind::Address, white);
    for (std::size_t index = addresses.size(); index-- > 0;) {
        const std::size_t at = addresses[index].extra.find(domain);
        if (at == std::string::npos || at == 0)
            continue;
        taken.push_back(addresses[index]);
        removeEntry(context.lists, ListKind::Address, white, static_cast<int>(index));
    }
    return taken;
}

void putAddressesBack(JudgeContext& context, bool white, const std::vector<ListEntry>& entries)
{
    std::lock_guard<std::mutex> hold(context.lock);
    for (const ListEntry& entry : entries)
        insertAddressEntry(context.lists, white, entry);
}

void appendDomain(JudgeContext& context, bool white, const std::string& domain)
{
    ListEntry entry(listKindCode(ListKind::Domain), domain, "", 0, today(context.clock), "");
    entry.isWhite = white;
    std::lock_guard<std::mutex> hold(context.lock);
    context.lists.sequence(ListKind::Domain, white).push_back(std::move(entry));
}

void recordDelivered(JudgeContext& context, const std::string& entryId)
{
    if (entryId.empty())
        return;
    std::lock_guard<std::mutex> hold(context.lock);
    context.deliveredMailIds.append(entryId);
}

} // namespace kvn::judge
