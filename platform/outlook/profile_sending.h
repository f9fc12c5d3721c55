// How the host sends a profile's mail, kept in the registry beside the
// profile's stores, as REG_SZ values of HKEY_CURRENT_USER
// "Software\Brindlecraft\KVN Host\Profiles\<profile>": "Sendmail", the
// command that takes a whole message on its standard input (its words split
// without a shell), and "From", the sender written into new messages.
#pragma once

#include "platform/registry/registry.h"

#include <string>
#include <string_view>

namespace kvn::outlook {

inline constexpr std::string_view defaultSendmailCommand = "sendmail -t -oi";

// The registry key of a profile's host settings.
std::string profileKey(std::string_view profile);

// The profile's command; the default when none is set, or an empty one.
std::string sendmailCommand(registry::Registry& registry, std::string_view profile);
// An empty command puts the default back. False when the registry cannot be written.
bool setSendmailCommand(registry::Registry& registry, std::string_view profile, std::string_view command);

// The profile's sender ("Name <a@b>" or "a@b"); empty when none is set, and
// then the mail transfer agent writes the user's own address.
std::string senderAddress(registry::Registry& registry, std::string_view profile);
bool setSenderAddress(registry::Registry& registry, std::string_view profile, std::string_view from);

} // namespace kvn::outlook
