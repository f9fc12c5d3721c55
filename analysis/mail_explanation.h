// Why an e-mail went where it went: the verdict of a classification pass on
// it, the rule and entry that decided, the folder it ended in, and the record
// the pass wrote. `kvnctl explain` fills one per message file; the wording
// below is the one every tool uses to tell a person about it.
#pragma once

#include "analysis/pass_observer.h"
#include "lists/own_address_record.h"
#include "lists/quarantine_decision.h"
#include "lists/stat_record.h"

#include <optional>
#include <string>

namespace kvn {

struct MailExplanation {
    Verdict verdict = Verdict::LeftAlone;
    DecidingRule rule = DecidingRule::None;
    // The entry that decided, as it was before the pass bumped its counters;
    // empty for DecidingRule::None.
    std::optional<ListEntry> entry;
    bool entryWhite = false; // the entry's list
    // The sender was trusted, but the e-mail named that address among its
    // recipients and did not come the way the user's own mail comes.
    bool failedSameSender = false;
    // Left alone without being looked at: the mail store holds it as no
    // e-mail item (a delivery report, a meeting request).
    bool passedOver = false;
    // "Store/Folder" the e-mail ends in ("Personal Folders/KVN Quarantined"),
    // and whether it is marked read there.
    std::string folder;
    bool markedRead = false;
    // What the pass writes for it: a statistics record, or (a rule matched
    // with "ProcessQWndMails" off) a decision the quarantine window proposes.
    std::optional<StatRecord> statRecord;
    std::optional<QuarantineDecision> decision;
    // The calibration e-mail of an own address teaches it its server's IP.
    std::optional<OwnAddressRecord> calibrationLearned;
};

// "trusted", "blocked", "quarantined", "left alone"
const char* verdictName(Verdict verdict);

// "no rule", "sender address", "sender domain", "word in subject", "word in
// body", "attachment type", "IP range", "country"
const char* ruleName(DecidingRule rule);

// What an entry matches, as a person reads it: the address of an address
// entry, "low - high" of an IP range, the value of any other entry.
std::string matchedText(const ListEntry& entry);

// One line, e.g. "blocked: moved to Personal Folders/Trash, marked read, by
// the sender domain junk.example on the black list". Every fact in it comes
// from the explanation; nothing is looked up.
std::string explanationSummary(const MailExplanation& explanation);

} // namespace kvn
