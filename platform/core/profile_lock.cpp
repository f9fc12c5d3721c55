#include "platform/core/profile_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace kvn {
namespace {

std::string holderOf(int fd)
{
    char buffer[32] = {};
    const ssize_t got = ::pread(fd, buffer, sizeof buffer - 1, 0);
    std::string pid = got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' '))
        pid.pop_back();
    return pid.empty() ? "another process" : "process " + pid;
}

} // namespace

std::variant<std::unique_ptr<ProfileLock>, std::string> ProfileLock::acquire(const std::string& dataFolder)
{
    const std::string path = dataFolder + "/" + fileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return "Cannot open the lock file " + path + ": " + std::strerror(errno);
    // An open-file-description lock: held per open file, not per process, and
    // dropped by the kernel when the holder dies.
    struct flock request { };
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &request) != 0) {
        const int error = errno;
        std::string why = (error == EAGAIN || error == EACCES || error == EWOULDBLOCK)
            ? "The profile's data in " + dataFolder + " is in use by " + holderOf(fd)
            : "Cannot lock " + path + ": " + std::strerror(error);
        ::close(fd);
        return why;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        // The lock holds all the same; only the holder's name would be missing.
    }
    return std::unique_ptr<ProfileLock>(new ProfileLock(fd));
}

ProfileLock::~ProfileLock()
{
    // Leave the file: removing it would race with a process about to lock it.
    if (::ftruncate(fd_, 0) != 0) {
        // Nothing to do: the stale pid only names a holder that is gone.
    }
    ::close(fd_);
}

} // namespace kvn
