// The profile lock on the POSIX file system.
//
// Two bytes of the lock file are locked. Byte 0 is the profile lock itself,
// held for as long as the ProfileLock lives. Byte 1 guards the record of the
// holder: a process takes it exclusively before it tries byte 0 and keeps it
// while it writes its record, and a refused process takes it shared before it
// reads the record. So a refused process can only read a record once the
// holder that refused it (or a later one) has written it whole. Byte 1 is
// held only for those few steps, and no one waits for byte 0 while holding
// byte 1, so no two processes can wait for each other; waits for byte 1 are
// bounded all the same, for a holder of an older version that locked the
// whole file.
#include "platform/core/profile_lock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <errno.h>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kvn {
namespace {

constexpr off_t lockByte = 0;
constexpr off_t recordByte = 1;
constexpr std::chrono::milliseconds retryStep{20};
// A record found empty means its holder let go between the refusal and the
// read; trying again this often settles any such race.
constexpr int attemptsOnRelease = 8;

// The descriptors of this process's locks, closed in a child forked without
// exec so that the child never holds a lock of its parent.
std::mutex heldMutex;
std::vector<int> heldFiles;

void closeHeldInChild()
{
    for (const int fd : heldFiles)
        ::close(fd);
    heldFiles.clear();
    heldMutex.unlock();
}

void watchForks()
{
    static std::once_flag once;
    std::call_once(
        once, [] { ::pthread_atfork([] { heldMutex.lock(); }, [] { heldMutex.unlock(); }, closeHeldInChild); });
}

enum class Outcome { Taken, Busy, Failed };

Outcome lockRange(int fd, short type, off_t start)
{
    struct flock request { };
    request.l_type = type;
    request.l_whence = SEEK_SET;
    request.l_start = start;
    request.l_len = 1;
    while (::fcntl(fd, F_OFD_SETLK, &request) != 0) {
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EACCES ? Outcome::Busy : Outcome::Failed;
    }
    return Outcome::Taken;
}

void unlockRange(int fd, off_t start) { lockRange(fd, F_UNLCK, start); }

// The record's byte, waited for a while only: it is held for a few steps at a
// time, and a process that holds it for longer (an older version, which
// locked the whole file) is no reason to wait for ever.
Outcome lockRecord(int fd, short type)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    for (;;) {
        const Outcome outcome = lockRange(fd, type, recordByte);
        if (outcome != Outcome::Busy || std::chrono::steady_clock::now() >= deadline)
            return outcome;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string thisProgram() { return program_invocation_short_name; }

// "kvnctl (process 1234)" from the record "1234 kvnctl"; "process 1234" from
// a record of an older version, which held the pid alone; empty when there is
// no record.
struct Holder {
    std::string pid;
    std::string program;
    bool known() const { return !pid.empty(); }
    std::string name() const { return program.empty() ? "process " + pid : program + " (process " + pid + ")"; }
};

// The holder as the record names it; `guarded` waits for the record to be
// whole first, as every holder of this version leaves it.
Holder readHolder(int fd, bool guarded)
{
    char buffer[256] = {};
    const bool whole = guarded && lockRecord(fd, F_RDLCK) == Outcome::Taken; // else read what is there
    const ssize_t got = ::pread(fd, buffer, sizeof buffer - 1, 0);
    if (whole)
        unlockRange(fd, recordByte);
    std::string record = got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
    record = record.substr(0, record.find('\n'));
    Holder holder;
    const std::size_t space = record.find(' ');
    holder.pid = record.substr(0, space);
    if (space != std::string::npos)
        holder.program = record.substr(space + 1);
    return holder;
}

struct Attempt {
    Outcome outcome = Outcome::Failed;
    int fd = -1; // the lock's, when Taken
    Holder holder; // when Busy
    std::string error; // when Failed
};

std::string describe(const std::string& what, const std::string& path, int error)
{
    return what + " " + path + ": " + std::strerror(error);
}

int openLockFile(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) {
        error = describe("Cannot open the lock file", path, errno);
        return -1;
    }
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "The lock file " + path + " is not a regular file";
        ::close(fd);
        return -1;
    }
    return fd;
}

Attempt tryOnce(const std::string& path, const std::string& program)
{
    Attempt attempt;
    const int fd = openLockFile(path, attempt.error);
    if (fd < 0)
        return attempt;
    attempt.outcome = lockRecord(fd, F_WRLCK);
    if (attempt.outcome != Outcome::Taken) {
        if (attempt.outcome == Outcome::Busy)
            attempt.holder = readHolder(fd, false);
        else
            attempt.error = describe("Cannot lock", path, errno);
        ::close(fd);
        return attempt;
    }
    attempt.outcome = lockRange(fd, F_WRLCK, lockByte);
    if (attempt.outcome == Outcome::Taken) {
        const std::string record = std::to_string(::getpid()) + " " + program + "\n";
        if (::ftruncate(fd, 0) != 0
            || ::pwrite(fd, record.data(), record.size(), 0) != static_cast<ssize_t>(record.size())) {
            // The lock holds all the same; only the holder's name would be missing.
        }
        unlockRange(fd, recordByte);
        attempt.fd = fd;
        return attempt;
    }
    const int error = errno;
    unlockRange(fd, recordByte);
    if (attempt.outcome == Outcome::Busy)
        attempt.holder = readHolder(fd, true);
    else
        attempt.error = describe("Cannot lock", path, error);
    ::close(fd);
    return attempt;
}

std::string refusal(const std::string& dataFolder, const Holder& holder, std::chrono::milliseconds waited)
{
    std::string why = "The profile's data in " + dataFolder + " is in use by "
        + (holder.known() ? holder.name() : std::string("another process"));
    if (waited.count() > 0)
        why += "; waited " + std::to_string(waited.count()) + " ms for it to finish";
    return why;
}

} // namespace

ProfileLock::ProfileLock(int fd) : fd_(fd), owner_(static_cast<int>(::getpid()))
{
    std::lock_guard lock(heldMutex);
    heldFiles.push_back(fd_);
}

ProfileLock::Result ProfileLock::acquire(const std::string& dataFolder) { return acquire(dataFolder, Request{}); }

ProfileLock::Result ProfileLock::acquire(const std::string& dataFolder, const Request& request)
{
    watchForks();
    const std::string path = dataFolder + "/" + fileName;
    const std::string program = request.program.empty() ? thisProgram() : request.program;
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + request.patience;
    int releases = 0;
    for (;;) {
        Attempt attempt = tryOnce(path, program);
        if (attempt.outcome == Outcome::Taken)
            return std::unique_ptr<ProfileLock>(new ProfileLock(attempt.fd));
        if (attempt.outcome == Outcome::Failed)
            return attempt.error;
        if (!attempt.holder.known() && ++releases < attemptsOnRelease)
            continue; // let go meanwhile: try again at once
        const auto now = std::chrono::steady_clock::now();
        if (attempt.holder.program != program)
            return refusal(dataFolder, attempt.holder, std::chrono::milliseconds(0));
        if (now >= deadline) {
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - start);
            return refusal(dataFolder, attempt.holder, request.patience.count() > 0 ? waited : request.patience);
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(retryStep, deadline - now));
    }
}

ProfileLock::~ProfileLock()
{
    if (owner_ != static_cast<int>(::getpid()))
        return; // a forked child's copy: the descriptor was closed at the fork
    {
        std::lock_guard lock(heldMutex);
        heldFiles.erase(std::remove(heldFiles.begin(), heldFiles.end(), fd_), heldFiles.end());
    }
    // Leave the file: removing it would race with a process about to lock it.
    // An empty record tells a refused reader that the holder let go.
    lockRecord(fd_, F_WRLCK);
    if (::ftruncate(fd_, 0) != 0) {
        // Nothing to do: the stale record only names a holder that is gone.
    }
    ::close(fd_);
}

} // namespace kvn
