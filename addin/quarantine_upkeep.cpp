#include "addin/quarantine_upkeep.h"

#include "analysis/filter_date.h"

#include <string>

namespace kvn {

std::int64_t countUnreadItems(const outlook::FolderPtr& folder)
{
    if (!folder)
        return -1;
    const outlook::ItemsPtr items = folder->items();
    const outlook::ItemsPtr unread = items ? items->restrict("[UnRead]=true") : nullptr;
    const std::optional<std::size_t> count = unread ? unread->count() : std::nullopt;
    return count ? static_cast<std::int64_t>(*count) : -1;
}

std::size_t autoCleanQuarantine(const PassFolders& folders, std::int64_t days, const Clock& clock)
{
    if (days < 0 || days > 30 || !folders.quarantine)
        return 0;
    const outlook::ItemsPtr items = folders.quarantine->items();
    if (!items)
        return 0;
    const double cutOff = clock.nowOleDate() - static_cast<double>(days);
    const std::optional<outlook::ItemPtr> first = items->find("[ReceivedTime] <= '" + formatFilterDate(cutOff) + "'");
    if (!first)
        return 0;
    std::size_t moved = 0;
    for (outlook::ItemPtr item = *first; item; item = items->findNext()) {
        const outlook::MailItemPtr mail = item->asMailItem();
        if (!mail)
            continue;
        // Marked read first, so that an e-mail the move cannot take still
        // leaves the quarantine's unread count.
        mail->setUnRead(false);
        if (folders.deletedItems && mail->move(folders.deletedItems))
            ++moved;
    }
    return moved;
}

} // namespace kvn
