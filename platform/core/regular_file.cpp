#include "platform/core/regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kvn {
namespace {

std::string notARegularFile(const std::string& path, mode_t mode)
{
    return "Not opening " + path + ": it is " + fileKindName(mode) + ", not a regular file";
}

} // namespace

const char* fileKindName(mode_t mode)
{
    if (S_ISREG(mode))
        return "a regular file";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO (named pipe)";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return "not a regular file";
}

namespace {

// `name` in the directory open as dirFd (AT_FDCWD: `name` is a path); the
// errors name it as `path` says.
OpenedRegularFile openWithoutBlockingAt(
    int dirFd, const char* name, const std::string& path, int flags, struct stat& info, mode_t createMode)
{
    OpenedRegularFile opened;
    const int fd = ::openat(dirFd, name, flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, createMode);
    if (fd < 0) {
        opened.openErrno = errno;
        // A socket cannot be opened at all (ENXIO): say what it is.
        struct stat there { };
        if (opened.openErrno != ENOENT && ::fstatat(dirFd, name, &there, 0) == 0 && !S_ISREG(there.st_mode))
            opened.error = notARegularFile(path, there.st_mode);
        else
            opened.error = "Cannot open " + path + ": " + std::strerror(opened.openErrno);
        return opened;
    }
    if (::fstat(fd, &info) != 0) {
        opened.error = "Cannot examine " + path + ": " + std::strerror(errno);
        ::close(fd);
        return opened;
    }
    if (!S_ISREG(info.st_mode)) {
        opened.error = notARegularFile(path, info.st_mode);
        ::close(fd);
        return opened;
    }
    opened.fd = fd;
    return opened;
}

OpenedRegularFile openWithoutBlocking(const std::string& path, int flags, struct stat& info, mode_t createMode)
{
    return openWithoutBlockingAt(AT_FDCWD, path.c_str(), path, flags, info, createMode);
}

} // namespace

OpenedRegularFile openRegularFile(const std::string& path, int flags, struct stat& info, mode_t createMode)
{
    OpenedRegularFile opened = openWithoutBlocking(path, flags, info, createMode);
    if (opened.fd >= 0)
        makeBlocking(opened.fd);
    return opened;
}

OpenedRegularFile openRegularFileToRead(const std::string& path, struct stat& info)
{
    return openWithoutBlocking(path, O_RDONLY, info, 0);
}

OpenedRegularFile openRegularFileToReadAt(int dirFd, const std::string& name, struct stat& info)
{
    return openWithoutBlockingAt(dirFd, name.c_str(), name, O_RDONLY, info, 0);
}

ssize_t readRegularFile(int fd, void* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got >= 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
            return got;
        if (errno != EINTR)
            makeBlocking(fd);
    }
}

void makeBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK); }

} // namespace kvn
