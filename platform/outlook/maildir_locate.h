// Finding the current file of a message by its unique name, however often
// other programs rename it meanwhile (flag changes, new/ to cur/).
#pragma once

#include "platform/outlook/maildir_listing.h"

#include <optional>
#include <string>
#include <string_view>

namespace kvn::outlook {

enum class LocateStatus {
    Found,
    Gone, // in neither new/ nor cur/ (moved away or deleted), or no longer a regular file
    Unreadable, // new/ or cur/ could not be read whole
};

struct LocatedMessage {
    LocateStatus status = LocateStatus::Gone;
    MessageFile file; // when found: its place, name and mtime
};

// The file of the message with this unique name in the folder (a directory
// holding cur/ and new/). lastSeen, when given, is where it was seen last:
// that name and the names a flag change or a move from new/ would give it are
// tried first, with one stat() each. Otherwise new/ and then cur/ are each
// read at once (whole_directory.h), so a message that stays in the folder is
// found even while another program renames it over and over. Any thread may
// call; nothing is changed on disk.
LocatedMessage findMessageFile(
    const std::string& folderDir, std::string_view uniqueName, const MessageFile* lastSeen = nullptr);

// The same, empty unless found.
std::optional<MessageFile> locateMessage(const std::string& folderDir, std::string_view uniqueName);

} // namespace kvn::outlook
