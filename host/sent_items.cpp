#include "host/sent_items.h"

namespace kvn::host {

SentItems::SentItems(outlook::FolderPtr sent) : sent_(std::move(sent)) { (void)appeared(); }

void SentItems::remember(const std::string& entryId)
{
    if (!entryId.empty())
        seen_.insert(entryId);
}

std::vector<outlook::ItemPtr> SentItems::appeared()
{
    std::vector<outlook::ItemPtr> fresh;
    if (!sent_)
        return fresh;
    const outlook::ItemsPtr items = sent_->items();
    if (!items)
        return fresh;
    for (outlook::ItemPtr item = items->getFirst(); item; item = items->getNext()) {
        const auto mail = item->asMailItem();
        if (!mail)
            continue;
        const std::string id = mail->entryId();
        if (!id.empty() && seen_.insert(id).second)
            fresh.push_back(std::move(item));
    }
    return fresh;
}

} // namespace kvn::host
