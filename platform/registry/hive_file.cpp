// Hive files on the POSIX file system: identity, reading, locking, copies.
#include "platform/registry/hive_file.h"

#include "platform/core/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace kvn::registry {
namespace {

// A hive is a text file of options; anything this big is not one of ours.
constexpr std::int64_t largestHive = 64 * 1024 * 1024;

std::int64_t nanoseconds(const timespec& time, std::int64_t step)
{
    const std::int64_t exact = static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    return step > 0 ? exact - exact % step : exact;
}

std::int64_t nowNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now, 0);
}

FileIdentity identityOf(const struct stat& info, std::int64_t timestampStepNs)
{
    FileIdentity identity;
    identity.exists = true;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.size = static_cast<std::int64_t>(info.st_size);
    identity.modifiedNs = nanoseconds(info.st_mtim, timestampStepNs);
    identity.changedNs = nanoseconds(info.st_ctim, timestampStepNs);
    return identity;
}

// True when a change made after readStartNs can no longer carry the times
// the file has now.
bool settledAt(const FileIdentity& identity, std::int64_t readStartNs, std::int64_t timestampStepNs)
{
    const std::int64_t tick = std::max(coarsestTimestampTickNs, timestampStepNs);
    const std::int64_t latest = std::max(identity.modifiedNs, identity.changedNs);
    return readStartNs - latest >= tick;
}

std::string describe(const std::string& what, const std::string& path, int error)
{
    return what + " " + path + ": " + std::strerror(error);
}

// Hives are opened without blocking on whatever else may stand at their
// path and must be regular files.
HeldFile openHiveFile(const std::string& path, int flags, struct stat& info, std::string& error, int& openErrno)
{
    OpenedRegularFile opened = openRegularFile(path, flags, info);
    openErrno = opened.openErrno;
    error = std::move(opened.error);
    return HeldFile(opened.fd);
}

} // namespace

std::optional<FileIdentity> identityAt(const std::string& path, std::int64_t timestampStepNs)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) == 0)
        return S_ISREG(info.st_mode) ? std::optional(identityOf(info, timestampStepNs)) : std::nullopt;
    if (errno == ENOENT)
        return FileIdentity{};
    return std::nullopt;
}

HeldFile::~HeldFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

HiveSnapshot readHiveFile(const std::string& path, std::int64_t timestampStepNs)
{
    HiveSnapshot snapshot;
    const std::int64_t readStartNs = nowNs();
    struct stat info { };
    std::string error;
    int openErrno = 0;
    HeldFile file = openHiveFile(path, O_RDONLY, info, error, openErrno);
    if (file.fd() < 0) {
        if (openErrno != ENOENT)
            snapshot.status = Status::failure(error);
        return snapshot;
    }
    if (info.st_size > largestHive) {
        snapshot.status = Status::failure(path + " is too large to be a registry file");
        return snapshot;
    }
    snapshot.identity = identityOf(info, timestampStepNs);
    snapshot.settled = settledAt(snapshot.identity, readStartNs, timestampStepNs);
    snapshot.bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < snapshot.bytes.size()) {
        const ssize_t n
            = ::pread(file.fd(), snapshot.bytes.data() + got, snapshot.bytes.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            snapshot.status = Status::failure(describe("Cannot read", path, errno));
            snapshot.bytes.clear();
            return snapshot;
        }
        if (n == 0)
            break; // shortened while being read: what was there is what was read
        got += static_cast<std::size_t>(n);
    }
    snapshot.bytes.resize(got);
    snapshot.held = std::move(file);
    return snapshot;
}

std::optional<FolderLock> FolderLock::acquire(const std::string& folder, std::string& error)
{
    const std::string path = folder + "/" + std::string(fileName);
    struct stat info { };
    int openErrno = 0;
    HeldFile file = openHiveFile(path, O_RDWR | O_CREAT, info, error, openErrno);
    if (file.fd() < 0) {
        error = "The registry's lock file cannot be used: " + error;
        return std::nullopt;
    }
    while (::flock(file.fd(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            error = describe("Cannot lock", path, errno);
            return std::nullopt;
        }
    }
    return FolderLock(std::move(file));
}

Status ensureFolderPath(FileSystem& files, const std::string& folder)
{
    if (folder.empty() || files.isFolder(folder))
        return Status::success();
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (Status parent = ensureFolderPath(files, folder.substr(0, slash)); !parent.ok())
            return parent;
    }
    return files.ensurePrivateFolder(folder);
}

Status keepUnreadableCopy(FileSystem& files, const std::string& hivePath, std::string_view bytes)
{
    return keepNumberedCopy(files, hivePath + ".bad", bytes, static_cast<std::size_t>(largestHive)).status;
}

} // namespace kvn::registry
