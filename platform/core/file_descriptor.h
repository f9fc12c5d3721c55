// An open POSIX file descriptor that closes itself; for the platform layers'
// sources only (the system's own code never sees a descriptor).
#pragma once

#include <unistd.h>

namespace kvn {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) { }
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) { }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = other.release();
        }
        return *this;
    }

    int get() const { return fd_; }
    // Hands the descriptor over: it is the caller's to close from now on.
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now and tells whether the close reported an error (a write that
    // the kernel could not finish is reported here).
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

} // namespace kvn
