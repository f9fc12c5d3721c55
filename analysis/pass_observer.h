// What a classification pass may tell a watcher about each e-mail it
// settles: the verdict, the rule that decided and the list entry that matched.
// Real passes have no watcher; `kvnctl explain` has one, to say why an e-mail
// went where it went. Telling changes nothing the pass does or writes.
#pragma once

#include "lists/list_entry.h"

#include <optional>
#include <string>

namespace kvn {

enum class Verdict {
    Trusted, // delivered: left unread in its inbox or moved to the default inbox
    Blocked, // marked read and moved to Deleted Items
    Quarantined, // moved, unread, to "KVN Quarantined" (with a proposal when a rule matched)
    LeftAlone, // untouched: the sender's address is empty
};

// The rule that decided, in the order the pass tries them.
enum class DecidingRule {
    None, // no rule: an unknown sender quarantined, or an empty address left alone
    SenderAddress,
    SenderDomain,
    SubjectWord,
    BodyWord,
    AttachmentType,
    IpRange,
    Country,
};

struct PassDecision {
    std::string entryId; // of the e-mail as the search found it
    Verdict verdict = Verdict::LeftAlone;
    DecidingRule rule = DecidingRule::None;
    // The list entry that matched, as found (before its counters were
    // bumped); empty for DecidingRule::None and when it could not be read.
    std::optional<ListEntry> entry;
    bool white = false; // the entry's list (its isWhite is kept only in files)
};

// Told on the pass's thread, never with the engine lock held. An e-mail that
// ends the pass (a read that fails) is not told its verdict.
class PassObserver {
public:
    virtual ~PassObserver() = default;
    // Once per e-mail the pass settles, after the e-mail was dealt with.
    virtual void decided(const PassDecision& decision) = 0;
    // A white sender's e-mail named that sender among its recipients and did
    // not pass the same-sender check: the second stage, then the quarantine,
    // decide it instead (decided follows).
    virtual void failedSameSender(const std::string& entryId) = 0;
};

} // namespace kvn
