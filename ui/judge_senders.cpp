// Friend and Foe on the senders of the selected e-mails, and the quarantine
// window's variant for one e-mail.
#include "platform/core/utf8_text.h"
#include "ui/judge_commands.h"
#include "ui/judge_steps.h"
#include "ui/list_changes.h"

#include <algorithm>

namespace kvn {
namespace {

// "Trust address?" or "Block address?": the sender's domain is on the other list.
bool confirmAgainstDomain(Ui& ui, bool trust)
{
    if (trust)
        return judge::askYesNo(ui,
            "Are you sure you want to receive e-mails from this address?\nThe domain of this address is currently "
            "blocked!",
            "Trust address?");
    return judge::askYesNo(ui,
        "Are you sure you want to block e-mails from this address?\nThe domain of this address is currently trusted!",
        "Block address?");
}

// "Move to White List?" or "Move to Black List?": the address is on the other list.
bool confirmMove(Ui& ui, bool trust, const std::string& address)
{
    if (trust)
        return judge::askYesNo(ui,
            "Are you sure you want to receive e-mails from " + address + ", because this address is currently blocked",
            "Move to White List?");
    return judge::askYesNo(ui,
        "Are you sure you want to block e-mails from " + address
            + ", because this address is currently set to 'friendly'",
        "Move to Black List?");
}

// One selected e-mail of Friend or Foe; true when its address was judged
// (and the e-mail moved, or tried to be).
bool judgeSelectedSender(JudgeContext& context, bool trust, const outlook::MailItemPtr& mail,
    const std::string& displayName, const std::string& address)
{
    const LookupResult domain = judge::lookupDomain(context, address, trust);
    if (domain == LookupResult::DomainInAskedList)
        return false;
    const bool domainOnOtherList = domain == LookupResult::DomainInOtherList;
    if (domainOnOtherList && !confirmAgainstDomain(context.ui, trust))
        return false;
    switch (judge::lookupAddress(context, address, trust)) {
    case LookupResult::NoKey:
        return false;
    case LookupResult::InOtherList:
        if (!domainOnOtherList && !confirmMove(context.ui, trust, address))
            return false;
        judge::trustOrBlockAddress(context, displayName, address, trust);
        break;
    case LookupResult::NotFound:
        judge::trustOrBlockAddress(context, displayName, address, trust);
        break;
    case LookupResult::InAskedList:
    case LookupResult::DomainInAskedList:
    case LookupResult::DomainInOtherList:
        break;
    }
    (void)judge::moveTo(mail, trust ? judge::trustTarget(context) : context.deletedItems);
    return true;
}

} // namespace

void JudgeSelectedSenders(JudgeContext& context, bool trust)
{
    const std::shared_ptr<outlook::Selection> selection = judge::selectedMail(context);
    if (!selection)
        return;
    std::vector<std::string> judged;
    double earliest = noEarlierReceivedTime;
    for (std::size_t index = 1, count = selection->count(); index <= count; ++index) {
        const outlook::ItemPtr item = selection->item(index);
        const outlook::MailItemPtr mail = item ? item->asMailItem() : nullptr;
        if (!mail)
            continue;
        if (const std::optional<double> received = mail->receivedTime())
            earliest = std::min(earliest, *received);
        const std::shared_ptr<outlook::SafeMailItem> safe = context.application.createSafeMailItem();
        if (!safe)
            return;
        if (const std::optional<judge::Sender> sender = judge::senderOf(*safe, mail)) {
            const std::string address = toLowerUtf8(sender->address);
            if (judgeSelectedSender(context, trust, mail, sender->displayName, address))
                judged.push_back(address);
        }
        if (!judge::cleanUp(context.application))
            return;
    }
    SweepSenders(context, judged, trust, earliest);
}

void JudgeSender(JudgeContext& context, bool trust, const outlook::MailItemPtr& mail, const std::string& address,
    const std::string& displayName)
{
    const outlook::FolderPtr target = trust ? judge::trustTarget(context) : context.deletedItems;
    if (trust && !target)
        return;
    const std::string lowered = toLowerUtf8(address);
    const LookupResult domain = judge::lookupDomain(context, lowered, trust);
    if (domain != LookupResult::DomainInAskedList) {
        switch (judge::lookupAddress(context, lowered, trust)) {
        case LookupResult::InOtherList:
            // Asked only when the domain is on neither list.
            if (domain == LookupResult::DomainInOtherList || confirmMove(context.ui, trust, lowered))
                judge::trustOrBlockAddress(context, displayName, lowered, trust);
            break;
        case LookupResult::NotFound:
            judge::trustOrBlockAddress(context, displayName, lowered, trust);
            break;
        case LookupResult::NoKey:
        case LookupResult::InAskedList:
        case LookupResult::DomainInAskedList:
        case LookupResult::DomainInOtherList:
            break;
        }
    }
    (void)judge::moveTo(mail, target);
}

} // namespace kvn
