// Putting a new message file into a Maildir folder the way a delivery agent
// does: written whole under tmp/, synced, then renamed into cur/ with its
// flags, so that no reader ever sees half a message and a crash leaves at
// most a file in tmp/ (which the folder's clean-up removes after 36 hours).
#pragma once

#include "platform/outlook/maildir_listing.h"

#include <optional>
#include <string>
#include <string_view>

namespace kvn::outlook {

// Delivers the bytes into folderDir's cur/ under a fresh unique name, seen
// (read) or not, private to the user (0600).
// The file as listed; empty when any step failed, in which case nothing of
// it is left in cur/ (nor in tmp/, as far as the folder lets us remove it).
std::optional<MessageFile> deliverMessage(const std::string& folderDir, std::string_view bytes, bool read);

// A unique name of the usual form "seconds.M<microseconds>P<pid>Q<n>.host",
// distinct for every call in the process.
std::string newUniqueName();

} // namespace kvn::outlook
