// The files of the registry folder as the file registry uses them: a hive
// file read together with the identity of what was read, the folder's write
// lock, the folder itself, and the copy kept of a file that could not be read
// whole.
//
// A reader re-reads a hive only when the file at its name is no longer the
// one it read. Writers always replace the file by renaming a new one over it,
// so the name then points at another inode; and because the reader keeps the
// file it read open, that inode cannot be freed and handed to the new file,
// which would make two different contents look alike. Size and change times
// are compared as well, for editors that rewrite a file in place.
#pragma once

#include "platform/core/file_system.h"
#include "platform/core/status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvn::registry {

struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what is at the path now; a missing file has exists false.
// Empty when the path cannot be examined (a folder in its place, no access).
std::optional<FileIdentity> identityAt(const std::string& path);

// An open file descriptor, closed with the object.
class HeldFile {
public:
    HeldFile() = default;
    explicit HeldFile(int fd) : fd_(fd) { }
    ~HeldFile();
    HeldFile(HeldFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    HeldFile& operator=(HeldFile&& other) noexcept;
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

struct HiveSnapshot {
    Status status = Status::success(); // a failure when the file exists but cannot be read
    FileIdentity identity; // of the bytes read
    std::string bytes;
    HeldFile held; // keeps the file read open, see above
};

// The whole hive file; a missing file is success with no bytes.
HiveSnapshot readHiveFile(const std::string& path);

// The registry folder's write lock, held by one writer of any process at a
// time; it is released when the object goes (or its process ends).
class FolderLock {
public:
    static std::optional<FolderLock> acquire(const std::string& folder, std::string& error);
    // The lock file's name in the folder.
    static constexpr std::string_view fileName = ".lock";

private:
    explicit FolderLock(HeldFile file) : file_(std::move(file)) { }
    HeldFile file_;
};

// Makes the folder and any missing parents, each private (0700).
Status ensureFolderPath(FileSystem& files, const std::string& folder);

// Keeps the bytes beside the hive file as NAME.reg.bad before a write drops
// what could not be read of them. An earlier copy with other bytes is never
// overwritten: the next free NAME.reg.bad.1, .2, ... is taken instead.
Status keepUnreadableCopy(FileSystem& files, const std::string& hivePath, std::string_view bytes);

} // namespace kvn::registry
