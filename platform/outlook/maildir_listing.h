// The messages of one Maildir folder, read from its cur/ and new/ listings
// (and file metadata when asked) without opening any message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvn::outlook {

struct MessageFile {
    std::string subdir; // "cur" or "new"
    std::string fileName;
    std::int64_t mtime = 0; // seconds since 1970, when listed with times
};

// Every message of the folder (a directory holding cur/ and new/). Empty
// when the folder cannot be read; a file that vanishes while being listed is
// left out.
std::optional<std::vector<MessageFile>> listMessages(const std::string& folderDir, bool withTimes);

// Fills in the mtime of each file, leaving out those that vanished meanwhile.
void addTimes(const std::string& folderDir, std::vector<MessageFile>& files);

// The message whose unique name is given, looked for in cur/ then new/.
std::optional<MessageFile> locateMessage(const std::string& folderDir, std::string_view uniqueName);

// The mtime of a file; empty when it does not exist.
std::optional<std::int64_t> fileMtime(const std::string& path);

} // namespace kvn::outlook
