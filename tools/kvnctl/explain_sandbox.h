// What a classification pass would do with one message file, found out by
// running the pass itself on copies: a private (0700) temporary folder holds
// a Maildir with a copy of the message (unread, received now, so that the
// pass's search finds it), the pass works on a copy of the profile's data and
// settings, and a watcher on the pass hears the verdict. The message file,
// the profile's files and its mailboxes are only read; the temporary folder
// is removed before the call returns, also when it fails.
#pragma once

#include "analysis/mail_explanation.h"
#include "lists/profile_data.h"
#include "lists/settings.h"
#include "platform/outlook/maildir_store.h"

#include <cstddef>
#include <optional>
#include <string>

namespace kvn {
class Ip2cLookup;
}

namespace kvn::kvnctl {

// Larger message files are refused: copying them would fill the temporary
// folder's disk, and no e-mail of that size is ordinary mail.
inline constexpr std::size_t maxExplainedBytes = std::size_t{256} << 20;

// What every explanation of one command shares; it must outlive the calls.
struct ExplainProfile {
    const ProfileData& data; // as read; each message gets a fresh copy
    Settings settings;
    // The profile's default store (its root is not used): the temporary
    // store takes its name and its Deleted Items folder's name, as blocked
    // and quarantined mail go to its Deleted Items and "KVN Quarantined".
    outlook::StoreConfig defaultStore;
    // The store named by "DefaultInbox": trusted mail is moved to its Inbox.
    // Empty: trusted mail stays in the Inbox it arrived in.
    std::string defaultInboxStore;
    Ip2cLookup* countries = nullptr; // the country rule's database; null: the rule finds nothing
    std::string temporaryBase = "/tmp"; // where the temporary folder is made
};

struct ExplainOutcome {
    std::optional<MailExplanation> explanation;
    std::string error; // why the file could not be explained, when there is no explanation
    std::string warning; // what looks wrong with the file though it was explained; may be empty
};

// The explanation of the message at `path`, or of the one read from
// standard input when it is "-" (up to maxExplainedBytes). Files that are no regular file,
// cannot be read, are larger than maxExplainedBytes or do not start like an
// e-mail (message_check.h) give an error naming why. The folders of the
// explanation are the temporary stores', named as the profile's: the
// default store's Inbox, Deleted Items and "KVN Quarantined" ("Personal
// Folders/Trash"), or the default inbox store's Inbox.
ExplainOutcome explainMessageFile(const std::string& path, const ExplainProfile& profile);

} // namespace kvn::kvnctl
