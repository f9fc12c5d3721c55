// One classification pass: every inbox folder in turn, the unread e-mails
// received since CheckFromTime, each trusted (white address or domain),
// blocked (black address or domain) or handed to the second stage and, when
// that settles nothing, quarantined. Each verdict bumps the deciding entry and
// adds a statistics record; trusted e-mails are recorded in DeliveredMailIds.
//
// Failures end the smallest step that can go on: a folder whose items cannot
// be read is passed over; an e-mail whose entry ID cannot be read ends its
// folder; a failed search, an unreadable sender or a blocked e-mail that
// cannot be marked read ends the pass (what was handled stays handled). Moves
// that fail leave the e-mail where it was. A stop request ends the pass
// between two e-mails, never inside one.
#pragma once

#include "analysis/pass_context.h"

namespace kvn {

enum class PassEnd {
    Finished, // every folder searched; "finished OK" was logged
    Stopped, // a stop was requested
    Failed, // a search or a read failed, as above
    NoSafeMailItem, // the pass could not start
};

// Runs on the worker thread of a processing run; never two at once.
PassEnd AnalizeNewMail(PassContext& context);

} // namespace kvn
