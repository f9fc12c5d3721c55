#include "analysis/new_mail_pass.h"

#include "analysis/dispositions.h"
#include "analysis/filter_date.h"
#include "analysis/matched_entry.h"
#include "analysis/own_mail_check.h"
#include "analysis/quarantined_mail.h"

namespace kvn {
namespace {

enum class Next { Item, Folder, EndPass };

class NewMailPass {
public:
    NewMailPass(PassContext& context, std::shared_ptr<outlook::SafeMailItem> safe)
        : context_(context), safe_(std::move(safe))
    {
        std::lock_guard lock(context_.lock);
        // Same-sender protection is off while there is no own address.
        sameSender_ = context_.settings.sameSender && !context_.data.ownAddresses().empty();
    }

    PassEnd run()
    {
        const std::string filter
            = "[UnRead]=true and [ReceivedTime]>='" + formatFilterDate(context_.checkFromTime) + "'";
        for (const outlook::FolderPtr& folder : context_.folders.inboxes) {
            if (context_.stopping())
                return PassEnd::Stopped;
            if (!folder)
                continue;
            if (const PassEnd end = searchFolder(*folder, filter); end != PassEnd::Finished)
                return end;
        }
        return PassEnd::Finished;
    }

private:
    PassEnd searchFolder(outlook::Folder& folder, const std::string& filter)
    {
        const outlook::ItemsPtr items = folder.items();
        if (!items)
            return PassEnd::Finished;
        std::optional<outlook::ItemPtr> found = items->find(filter);
        if (!found)
            return PassEnd::Failed;
        context_.log.line("  AnalizeNewMail - search - ", " - " + filter);
        for (outlook::ItemPtr item = std::move(*found); item; item = items->findNext()) {
            if (context_.stopping())
                return PassEnd::Stopped;
            const Next next = classify(item);
            if (next == Next::EndPass)
                return PassEnd::Failed;
            if (next == Next::Folder)
                break;
        }
        return PassEnd::Finished;
    }

    Next classify(const outlook::ItemPtr& item)
    {
        const outlook::MailItemPtr mail = item->asMailItem();
        if (!mail)
            return Next::Item;
        // The object model answers a failed read of the entry ID, like an
        // empty one, with an empty text: the e-mail was taken away meanwhile.
        const std::string entryId = mail->entryId();
        if (entryId.empty())
            return Next::Item;
        if (context_.observer != nullptr)
            entryId_ = entryId;
        {
            std::lock_guard lock(context_.lock);
            if (context_.delivered.contains(entryId))
                return Next::Item;
        }
        safe_->setItem(mail);
        const std::optional<std::shared_ptr<outlook::AddressEntry>> sender = safe_->sender();
        if (!sender)
            return Next::EndPass;
        if (!*sender) {
            quarantineUnsettled(item, mail, {});
            return Next::Item;
        }
        return bySender(item, mail, (*sender)->address);
    }

    Next bySender(const outlook::ItemPtr& item, const outlook::MailItemPtr& mail, const std::string& address)
    {
        const ListEntry probe(listKindCode(ListKind::Address), {}, address, 0, {}, {});
        LookupMatch byAddress{};
        MatchedEntry entry;
        {
            std::lock_guard lock(context_.lock);
            byAddress = context_.data.lists().findAddress(probe, true);
            const bool white = byAddress.result == LookupResult::InAskedList;
            entry = MatchedEntry::at(context_.data.lists(), ListKind::Address, white, byAddress.position);
        }
        switch (byAddress.result) {
        case LookupResult::NoKey:
            tellDecided(context_, entryId_, Verdict::LeftAlone, DecidingRule::None);
            return Next::Item;
        case LookupResult::InOtherList:
            return blocked(mail, entry, DecidingRule::SenderAddress, 1, "Blocked e-mail - " + address);
        case LookupResult::InAskedList:
            trusted(item, mail, address, entry, DecidingRule::SenderAddress, 1, "Trusted e-mail - " + address);
            return Next::Item;
        default:
            return byDomain(item, mail, address);
        }
    }

    Next byDomain(const outlook::ItemPtr& item, const outlook::MailItemPtr& mail, const std::string& address)
    {
        const std::size_t at = address.find_last_of('@');
        const std::string domain = at == std::string::npos ? address : address.substr(at + 1);
        LookupMatch byDomain{};
        MatchedEntry entry;
        {
            std::lock_guard lock(context_.lock);
            byDomain = context_.data.lists().findDomain(address, true);
            const bool white = byDomain.result == LookupResult::DomainInAskedList;
            entry = MatchedEntry::at(context_.data.lists(), ListKind::Domain, white, byDomain.position);
        }
        switch (byDomain.result) {
        case LookupResult::DomainInAskedList:
            trusted(item, mail, address, entry, DecidingRule::SenderDomain, 2, "Trusted domain - " + domain);
            return Next::Item;
        case LookupResult::DomainInOtherList:
            return blocked(mail, entry, DecidingRule::SenderDomain, 2, "Blocked domain - " + domain);
        default:
            quarantineUnsettled(item, mail, {});
            return Next::Item;
        }
    }

    void trusted(const outlook::ItemPtr& item, const outlook::MailItemPtr& mail, const std::string& address,
        const MatchedEntry& entry, DecidingRule rule, std::int32_t reason, const std::string& message)
    {
        if (sameSender_ && isSpoofedOwnMail(context_, *safe_, address)) {
            if (context_.observer != nullptr)
                context_.observer->failedSameSender(entryId_);
            quarantineUnsettled(item, mail, "Same sender and receiver address");
            return;
        }
        deliverTrusted(context_, mail);
        count(entry, 2, reason, message);
        tellDecided(context_, entryId_, Verdict::Trusted, rule, &entry);
    }

    Next blocked(const outlook::MailItemPtr& mail, const MatchedEntry& entry, DecidingRule rule, std::int32_t reason,
        const std::string& message)
    {
        if (!deleteBlocked(context_, mail))
            return Next::EndPass;
        count(entry, 0, reason, message);
        tellDecided(context_, entryId_, Verdict::Blocked, rule, &entry);
        return Next::Item;
    }

    // The second stage, and the quarantine when it settles nothing.
    void quarantineUnsettled(const outlook::ItemPtr& item, const outlook::MailItemPtr& mail, std::string message)
    {
        if (AnalizeQuarantinedMail(context_, item))
            return;
        quarantineMail(context_, mail);
        {
            std::lock_guard lock(context_.lock);
            context_.data.statistics().addStatRecord(1, 0, std::move(message), {});
        }
        tellDecided(context_, entryId_, Verdict::Quarantined, DecidingRule::None);
    }

    void count(const MatchedEntry& entry, std::int32_t category, std::int32_t reason, const std::string& message)
    {
        std::lock_guard lock(context_.lock);
        bumpMatchedEntry(context_.data.lists(), entry, context_.clock);
        context_.data.statistics().addStatRecord(category, reason, message, {});
    }

    PassContext& context_;
    std::shared_ptr<outlook::SafeMailItem> safe_;
    bool sameSender_ = false;
    std::string entryId_; // of the e-mail being classified, kept only for an observer
};

} // namespace

PassEnd AnalizeNewMail(PassContext& context)
{
    context.log.line("  AnalizeNewMail - entering - ");
    std::shared_ptr<outlook::SafeMailItem> safe = context.application.createSafeMailItem();
    if (!safe)
        return PassEnd::NoSafeMailItem;
    const PassEnd end = NewMailPass(context, std::move(safe)).run();
    if (end == PassEnd::Finished)
        context.log.line("  AnalizeNewMail - finished OK - ");
    return end;
}

} // namespace kvn
