// The steps the Friend and Foe commands share: where judged e-mails go, the
// questions, the moves, the reading of the selection and of senders.
// Internal to the commands (ui/judge_commands.h).
#pragma once

#include "ui/judge_commands.h"

#include <memory>
#include <optional>
#include <string>

namespace kvn::judge {

// The "MAPI" namespace's default Inbox; nullptr when it cannot be had.
outlook::FolderPtr namespaceInbox(outlook::Application& application);

// Where a trusted e-mail goes: the default inbox, else the namespace's default Inbox.
outlook::FolderPtr trustTarget(const JudgeContext& context);

// Where the sweeps move to: the namespace's default Inbox or Deleted Items.
outlook::FolderPtr sweepTarget(JudgeContext& context, bool trust);

// The moved e-mail; nullptr when there is no folder or the move failed.
outlook::MailItemPtr moveTo(const outlook::MailItemPtr& mail, const outlook::FolderPtr& folder);

// A warning asked with Yes and No; true for Yes.
bool askYesNo(Ui& ui, const std::string& text, const std::string& caption);

// A message box with no owner window, as every box of the commands is.
MessageAnswer ask(
    Ui& ui, const std::string& text, const std::string& caption, MessageIcon icon, MessageButtons buttons);

// The selection of the active explorer, when the folder shown holds e-mails.
// Says "Incompatible items" for a folder of another kind; none, silently,
// when the explorer, its folder or its selection cannot be had.
std::shared_ptr<outlook::Selection> selectedMail(JudgeContext& context);

// A sender as the safe mail item reads it.
struct Sender {
    std::string displayName;
    std::string address; // unchanged
};

// The sender of `mail` through `safe`; none when the e-mail names no sender
// or it cannot be read.
std::optional<Sender> senderOf(outlook::SafeMailItem& safe, const outlook::MailItemPtr& mail);

// The address from its last "@" on ("@example.org"); empty when it has none.
std::string domainPart(const std::string& address);

// The clean-up of cached parses; false when the object cannot be made.
bool cleanUp(outlook::Application& application);

} // namespace kvn::judge
