// The Friend and Foe commands: the user judges the e-mails selected in the
// active explorer. Each command changes the white or black list, moves each
// judged e-mail to an inbox (trust) or to Deleted Items (block), and then
// sweeps the folder shown for further e-mails of the same senders or domain.
// JudgeSender is the same decision for one e-mail, for the quarantine window.
//
// Every question is a modal message box of the Ui; the command waits for the
// answer. A failing mail-store call ends the step it belongs to without a
// message (see each function); a failed move leaves the e-mail where it is
// and the lists keep their change. The commands change the lists in memory
// only; saving them is the engine's business.
//
// Threads: the host's main thread, also while a pass runs on a worker. The
// lists and DeliveredMailIds are touched only with the engine lock held,
// and only for the list operation itself: never across a message box, a
// Find or a Move. A look-up made before a question is made again after it,
// so a change a pass made meanwhile is not overwritten.
#pragma once

#include "analysis/delivered_mail_ids.h"
#include "lists/filter_lists.h"
#include "platform/core/clock.h"
#include "platform/core/ui.h"
#include "platform/outlook/outlook.h"

#include <mutex>
#include <string>
#include <vector>

namespace kvn {

// What the commands work on. Everything is borrowed and outlives the command.
struct JudgeContext {
    outlook::Application& application; // its ActiveExplorer gives the folder shown and the selection
    std::mutex& lock; // the engine lock
    FilterLists& lists; // behind the lock
    DeliveredMailIds& deliveredMailIds; // behind the lock
    outlook::FolderPtr defaultInbox; // the option "DefaultInbox"'s folder; none: the namespace's default Inbox
    outlook::FolderPtr deletedItems; // where blocked e-mails go; none: they stay where they are
    Ui& ui;
    const Clock& clock; // dates the entries made
};

// The earliest received time JudgeSelectedSenders starts from, when nothing
// earlier was selected: 21 November 2036 (an OLE date).
inline constexpr double noEarlierReceivedTime = 50000.0;

// Friend (trust) or Foe (block) on each selected e-mail's sender, in
// selection order, then SweepSenders with the addresses judged and the
// earliest received time of the selected e-mails. Items that are not
// e-mails, and e-mails naming no sender, are passed over. When the safe mail
// item or the clean-up object cannot be made, the command ends at that
// e-mail without a sweep; the list changes made stay. A folder shown that
// does not hold e-mails says so ("Incompatible items") and does nothing.
void JudgeSelectedSenders(JudgeContext& context, bool trust);

// Trust or block the whole domain of each selected e-mail's sender, asking
// first, taking the addresses of that domain out of the other list unless
// the user keeps them, then sweeping the folder shown for the domain. An
// e-mail whose sender cannot be read, or whose address has no "@", is
// passed over.
void JudgeSelectedDomains(JudgeContext& context, bool trust);

// One e-mail of the quarantine window: the sender's address (turned to lower
// case) trusted or blocked as Friend or Foe would, without the domain
// questions, then the e-mail moved to the inbox or Deleted Items whatever
// the user answered. Nothing at all for trust when no inbox can be had.
void JudgeSender(JudgeContext& context, bool trust, const outlook::MailItemPtr& mail, const std::string& address,
    const std::string& displayName);

// In the folder shown, every e-mail received since `since` whose sender's
// address equals one of `addresses` exactly (letter case counts) goes to the
// namespace's default Inbox (trust) or Deleted Items (block). A trust sweep
// of a folder whose name contains "inbox" in any case moves nothing.
void SweepSenders(JudgeContext& context, const std::vector<std::string>& addresses, bool trust, double since);

// In the folder shown, every e-mail received since `since` whose sender's
// address ends in the same "@domain" as `address` (compared exactly) goes to
// the namespace's default Inbox (trust) or Deleted Items (block).
void SweepDomain(JudgeContext& context, const std::string& address, bool trust, double since);

} // namespace kvn
