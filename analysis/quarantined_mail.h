// The second stage of the filter, for e-mails the address and domain lists do
// not settle: words in the subject, then words in the body, attachment types,
// the sender's IP range and the sender's country, white before black at each
// rule; the first rule that matches decides. With "ProcessQWndMails" off a
// match goes to the quarantine folder with a proposed decision; with it on
// the decision is carried out at once (and counted in the statistics).
#pragma once

#include "analysis/pass_context.h"

namespace kvn {

// True when a rule matched and the e-mail has been dealt with; false when no
// rule matched, or a mail-store read failed from the IP rule on, and the
// caller is to quarantine it plainly. No item, or one that is not an e-mail,
// answers false. Runs on the pass's thread.
bool AnalizeQuarantinedMail(PassContext& context, const outlook::ItemPtr& item);

} // namespace kvn
