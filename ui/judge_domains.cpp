// "Trust whole domain" and "Block whole domain" on the selected e-mails.
#include "ui/judge_commands.h"
#include "ui/judge_steps.h"
#include "ui/list_changes.h"

namespace kvn {
namespace {

// The domain is on the other list: the user must take it off by hand first.
void refuseOtherList(Ui& ui, bool trust, const std::string& domain)
{
    const std::string text = trust ? "This domain(" + domain
            + ") is currently blocked! To trust the whole domain, please first remove it by hand from the blocked "
              "domains!"
                                   : "This domain(" + domain
            + ") is currently trusted! To block the whole domain, please first remove it by hand from the trusted "
              "domains!";
    (void)judge::ask(ui, text, "Security alert!", MessageIcon::Warning, MessageButtons::Ok);
}

bool confirmDomain(Ui& ui, bool trust, const std::string& domain)
{
    const std::string text = trust
        ? "Are you absolutelly sure you want to receive e-mails from any address in this domain (" + domain + ")?"
        : "Are you absolutelly sure you want to block all e-mails from any address in this domain(" + domain + ")?";
    return judge::ask(ui, text, "Please confirm!", MessageIcon::Question, MessageButtons::YesNo) == MessageAnswer::Yes;
}

// Whether the addresses of the domain taken from the other list are kept
// there: Yes, No or Cancel (any other answer, a box closed, is Cancel).
MessageAnswer askKeepAddresses(Ui& ui, bool trust, std::size_t count, const std::string& domain)
{
    const std::string counted = std::to_string(count);
    const MessageAnswer answer = trust
        ? judge::ask(ui,
            "Your Black list currently contains " + counted + " e-mail addresses from this domain(" + domain
                + ").\nWould you like to keep blocking e-mails from these addresses?",
            "Keep blocking addresses currently in the Black list?", MessageIcon::Question, MessageButtons::YesNoCancel)
        : judge::ask(ui,
            "Your White list currently contains " + counted + " e-mail addresses from this domain(" + domain
                + ").\nWould you like to keep receiving e-mails from these addresses?",
            "Keep receiving from addresses currently in the White list?", MessageIcon::Question,
            MessageButtons::YesNoCancel);
    return answer == MessageAnswer::Yes || answer == MessageAnswer::No ? answer : MessageAnswer::Cancel;
}

// The domain goes on the list after the user confirmed, then the folder
// shown is swept for it.
void addDomain(
    JudgeContext& context, bool trust, const std::string& address, const std::string& domain, double received)
{
    if (!confirmDomain(context.ui, trust, domain))
        return;
    const std::vector<ListEntry> taken = judge::takeAddressesOfDomain(context, !trust, domain);
    if (!taken.empty()) {
        const MessageAnswer keep = askKeepAddresses(context.ui, trust, taken.size(), domain);
        if (keep != MessageAnswer::No)
            judge::putAddressesBack(context, !trust, taken);
        if (keep == MessageAnswer::Cancel)
            return;
    }
    judge::appendDomain(context, trust, domain.substr(1));
    SweepDomain(context, address, trust, received);
}

void judgeDomainOf(
    JudgeContext& context, bool trust, const outlook::MailItemPtr& mail, const std::string& address, double received)
{
    const std::string domain = judge::domainPart(address);
    if (domain.empty())
        return;
    switch (judge::lookupDomain(context, address, trust)) {
    case LookupResult::DomainInAskedList:
        if (const outlook::MailItemPtr moved
            = judge::moveTo(mail, trust ? judge::trustTarget(context) : context.deletedItems);
            moved && trust)
            judge::recordDelivered(context, moved->entryId());
        return;
    case LookupResult::DomainInOtherList:
        refuseOtherList(context.ui, trust, domain);
        return;
    case LookupResult::NotFound:
        addDomain(context, trust, address, domain, received);
        return;
    case LookupResult::NoKey:
    case LookupResult::InAskedList:
    case LookupResult::InOtherList:
        return;
    }
}

} // namespace

void JudgeSelectedDomains(JudgeContext& context, bool trust)
{
    const std::shared_ptr<outlook::Selection> selection = judge::selectedMail(context);
    if (!selection)
        return;
    for (std::size_t index = 1, count = selection->count(); index <= count; ++index) {
        const outlook::ItemPtr item = selection->item(index);
        const outlook::MailItemPtr mail = item ? item->asMailItem() : nullptr;
        if (!mail)
            continue;
        const std::optional<double> received = mail->receivedTime();
        const std::shared_ptr<outlook::SafeMailItem> safe = context.application.createSafeMailItem();
        const std::optional<judge::Sender> sender = safe && received ? judge::senderOf(*safe, mail) : std::nullopt;
        if (sender)
            judgeDomainOf(context, trust, mail, sender->address, *received);
    }
    (void)judge::cleanUp(context.application);
}

} // namespace kvn
