#include "analysis/dispositions.h"

namespace kvn {

outlook::MailItemPtr moveMail(const outlook::MailItemPtr& mail, const outlook::FolderPtr& folder)
{
    return folder ? mail->move(folder) : nullptr;
}

void tellDecided(
    PassContext& context, std::string entryId, Verdict verdict, DecidingRule rule, const MatchedEntry* entry)
{
    if (context.observer == nullptr)
        return;
    PassDecision decision{std::move(entryId), verdict, rule, std::nullopt, false};
    if (entry != nullptr && entry->position >= 0) {
        decision.entry = entry->entry;
        decision.white = entry->white;
    }
    context.observer->decided(decision);
}

void deliverTrusted(PassContext& context, const outlook::MailItemPtr& mail)
{
    std::string entryId;
    if (context.folders.defaultInbox) {
        const outlook::MailItemPtr moved = moveMail(mail, context.folders.defaultInbox);
        if (moved)
            entryId = moved->entryId();
    }
    if (entryId.empty())
        entryId = mail->entryId();
    std::lock_guard lock(context.lock);
    context.delivered.append(std::move(entryId));
}

bool deleteBlocked(PassContext& context, const outlook::MailItemPtr& mail)
{
    if (!mail->setUnRead(false))
        return false;
    (void)moveMail(mail, context.folders.deletedItems);
    return true;
}

void quarantineMail(PassContext& context, const outlook::MailItemPtr& mail)
{
    (void)moveMail(mail, context.folders.quarantine);
}

} // namespace kvn
