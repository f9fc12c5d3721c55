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
//
// Timestamps only tell apart writes that fall in different ticks of the file
// system's clock, and some file systems tick coarsely (FAT every 2 s, others
// every second). A file read while its times were that close to the moment of
// reading may still change within the same tick without a trace, so a reader
// trusts such a snapshot only once it has been read again after the tick.
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
// Times are rounded down to timestampStepNs when it is above zero, as a file
// system with coarse timestamps would give them.
std::optional<FileIdentity> identityAt(const std::string& path, std::int64_t timestampStepNs = 0);

// How long after a file's last change its timestamps can still hide a second
// change made within the same tick: the coarsest tick in common use (FAT's).
inline constexpr std::int64_t coarsestTimestampTickNs = 2'000'000'000;

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
    // The file's times were far enough from the moment of reading that any
    // later change shows in them (see above); a missing file is settled.
    bool settled = true;
};

// The whole hive file; a missing file is success with no bytes. The file is
// opened without blocking and must be a regular file: a FIFO, a device or a
// folder in its place is a failure that says what is there, as is a file
// that cannot be opened (the reason) or that is too big to be a hive.
HiveSnapshot readHiveFile(const std::string& path, std::int64_t timestampStepNs = 0);

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
