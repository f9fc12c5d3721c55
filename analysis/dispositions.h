// The three dispositions of an e-mail: delivered as trusted, deleted as
// blocked, or quarantined. Each is one mail-store move (the results of moves
// are ignored: a failed move leaves the e-mail where it was).
#pragma once

#include "analysis/matched_entry.h"
#include "analysis/pass_context.h"

namespace kvn {

// Stays unread. Moved to the default inbox when one is set; the entry ID (of
// the moved item, else of the item it was moved from) is appended to
// DeliveredMailIds so that later passes leave it alone.
void deliverTrusted(PassContext& context, const outlook::MailItemPtr& mail);

// Marked read and moved to Deleted Items. False when UnRead could not be set:
// the pass ends there, and nothing was moved.
[[nodiscard]] bool deleteBlocked(PassContext& context, const outlook::MailItemPtr& mail);

// Moved, unread, to the quarantine folder. Its entry ID is not recorded.
void quarantineMail(PassContext& context, const outlook::MailItemPtr& mail);

// Tells the context's observer, if any, the verdict on the e-mail whose
// entry ID (read before it was moved) is given, and the entry that decided
// (none, or one whose position is -1, for no entry).
void tellDecided(
    PassContext& context, std::string entryId, Verdict verdict, DecidingRule rule, const MatchedEntry* entry = nullptr);

// The mail moved into a folder, or nullptr when there is no folder or the
// move failed (the mail is where it was).
outlook::MailItemPtr moveMail(const outlook::MailItemPtr& mail, const outlook::FolderPtr& folder);

} // namespace kvn
