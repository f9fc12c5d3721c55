// Reading a directory's entries in one piece, so that a rename inside the
// directory by another program is seen either wholly before or wholly after
// the read: never both names, never neither.
//
// readdir() reads a large directory in several system calls, and a file
// renamed between two of them can be listed under both names or under none
// (ext4 lists in hash order, so the new name may land behind or ahead of the
// reader). A single getdents64() call holds the directory's lock, which every
// rename, link and unlink in it takes too, so one call that reaches the end
// is a snapshot. The buffer grows until the whole directory fits in one call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvn::outlook {

struct DirectoryEntry {
    enum class Type { Regular, Directory, Symlink, Unknown, Other };
    std::string name;
    Type type = Type::Unknown;
};

struct WholeDirectory {
    std::vector<DirectoryEntry> entries; // without "." and ".."
    // False when the file system would not give the directory in one call (or
    // it holds more than the buffer limit allows), so that it was read in
    // parts: a rename during the read may then have been missed.
    bool atOnce = true;
};

// The entries of the directory; empty when it cannot be opened or read (errno
// tells why: ENOENT when it does not exist, ENOTDIR when it is no directory).
std::optional<WholeDirectory> readWholeDirectory(const std::string& path);

} // namespace kvn::outlook
