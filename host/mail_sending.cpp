#include "host/mail_sending.h"

#include "host/sendmail.h"
#include "platform/core/clock.h"
#include "platform/outlook/profile_sending.h"

namespace kvn::host {

SendingSettings sendingSettings(registry::Registry& registry, std::string_view profile)
{
    return {outlook::sendmailCommand(registry, profile), outlook::senderAddress(registry, profile)};
}

MailSending::MailSending(HostApplication& application, SendingSettings settings, SentItems* sent)
    : application_(application), settings_(std::move(settings)), sent_(sent)
{
}

SendOutcome MailSending::send(const outlook::MailItemPtr& item)
{
    SendOutcome outcome;
    if (!item || !item->entryId().empty()) {
        outcome.problem = "Only a new e-mail can be sent.";
        return outcome;
    }
    if (application_.raiseItemSend(item)) {
        outcome.result = SendResult::Cancelled;
        return outcome;
    }
    const std::optional<std::string> composed = item->composeForSending(settings_.from, systemClock().nowOleDate());
    if (!composed) {
        outcome.problem = "The e-mail could not be composed.";
        return outcome;
    }
    const std::string message = withUnixLineEnds(*composed);
    const SendmailResult handed = sendWithSendmail(settings_.sendmailCommand, message);
    if (!handed.sent) {
        outcome.problem = handed.problem;
        return outcome;
    }
    outcome.result = SendResult::Sent;
    outcome.filed = fileInSent(message);
    if (!outcome.filed)
        outcome.problem = "The e-mail was sent, but no copy could be filed in the Sent folder.";
    return outcome;
}

outlook::MailItemPtr MailSending::fileInSent(const std::string& message)
{
    const outlook::NamespacePtr mapi = application_.objectModel()->getNamespace("MAPI");
    const outlook::FolderPtr folder = mapi ? mapi->getDefaultFolder(outlook::olFolderSentMail) : nullptr;
    outlook::MailItemPtr filed = folder ? folder->fileMessage(message, true) : nullptr;
    if (filed && sent_)
        sent_->remember(filed->entryId());
    return filed;
}

} // namespace kvn::host
