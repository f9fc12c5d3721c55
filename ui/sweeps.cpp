// The sweeps after a Friend or Foe command: the folder shown is searched for
// the e-mails received since a time, and those from the judged senders or
// domain are moved after the judged ones.
#include "analysis/filter_date.h"
#include "platform/core/utf8_text.h"
#include "ui/judge_commands.h"
#include "ui/judge_steps.h"

#include <algorithm>
#include <functional>

namespace kvn {
namespace {

// Moves every e-mail of the folder received since `since` whose sender's
// address `matches` to the target, then cleans up. Items without a sender
// are passed over; a search that fails ends the sweep.
void sweepFolder(JudgeContext& context, outlook::Folder& folder, const outlook::FolderPtr& target, double since,
    const std::function<bool(const std::string& address)>& matches)
{
    const outlook::ItemsPtr items = folder.items();
    const std::optional<outlook::ItemPtr> first
        = items ? items->find("[ReceivedTime] >= '" + formatFilterDate(since) + "'") : std::nullopt;
    for (outlook::ItemPtr item = first.value_or(nullptr); item; item = items->findNext()) {
        const outlook::MailItemPtr mail = item->asMailItem();
        const std::shared_ptr<outlook::SafeMailItem> safe = mail ? context.application.createSafeMailItem() : nullptr;
        const std::optional<judge::Sender> sender = safe ? judge::senderOf(*safe, mail) : std::nullopt;
        if (sender && matches(sender->address))
            (void)judge::moveTo(mail, target);
    }
    (void)judge::cleanUp(context.application);
}

outlook::FolderPtr shownFolder(JudgeContext& context)
{
    const outlook::ExplorerPtr explorer = context.application.activeExplorer();
    return explorer ? explorer->currentFolder() : nullptr;
}

} // namespace

void SweepSenders(JudgeContext& context, const std::vector<std::string>& addresses, bool trust, double since)
{
    const outlook::FolderPtr folder = shownFolder(context);
    if (!folder)
        return;
    if (trust && toLowerUtf8(folder->name()).find("inbox") != std::string::npos)
        return;
    const outlook::FolderPtr target = judge::sweepTarget(context, trust);
    if (!target)
        return;
    sweepFolder(context, *folder, target, since, [&](const std::string& address) {
        return std::find(addresses.begin(), addresses.end(), address) != addresses.end();
    });
}

void SweepDomain(JudgeContext& context, const std::string& address, bool trust, double since)
{
    const std::string domain = judge::domainPart(address);
    const outlook::FolderPtr folder = shownFolder(context);
    const outlook::FolderPtr target = folder ? judge::sweepTarget(context, trust) : nullptr;
    if (domain.empty() || !target)
        return;
    sweepFolder(context, *folder, target, since,
        [&](const std::string& sender) { return judge::domainPart(sender) == domain; });
}

} // namespace kvn
