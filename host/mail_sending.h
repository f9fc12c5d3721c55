// Sending a new e-mail as the host's own mail program does: ItemSend first
// (an add-in may cancel), then the message composed and handed to the
// profile's sendmail command, then filed, read, in the Sent folder. The
// watcher of the Sent folder is told about the filed message, so that it
// does not raise ItemSend for it a second time.
//
// Threads: the host's main thread (where the events are raised).
#pragma once

#include "host/host_application.h"
#include "host/sent_items.h"
#include "platform/registry/registry.h"

#include <string>
#include <string_view>

namespace kvn::host {

struct SendingSettings {
    std::string sendmailCommand; // as the profile keeps it (profile_sending.h)
    std::string from; // empty: the mail transfer agent writes the user's address
};

// The profile's settings as the registry holds them now.
SendingSettings sendingSettings(registry::Registry& registry, std::string_view profile);

enum class SendResult {
    Sent, // handed over; `filed` holds the copy in Sent, unless `problem` says why not
    Cancelled, // an ItemSend handler cancelled: nothing was sent
    Failed, // not sent; `problem` says why
};

struct SendOutcome {
    SendResult result = SendResult::Failed;
    std::string problem;
    outlook::MailItemPtr filed;
};

class MailSending {
public:
    // The application raises ItemSend and holds the Sent folder; `sent`
    // (may be null) is the Sent folder's watcher. Both must outlive this.
    MailSending(HostApplication& application, SendingSettings settings, SentItems* sent);

    // Sends a new item (from CreateItem). A stored e-mail is never sent.
    SendOutcome send(const outlook::MailItemPtr& item);

    const SendingSettings& settings() const { return settings_; }

private:
    outlook::MailItemPtr fileInSent(const std::string& message);

    HostApplication& application_;
    SendingSettings settings_;
    SentItems* sent_;
};

} // namespace kvn::host
