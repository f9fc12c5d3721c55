// Opening a path that must name a regular file, without blocking on whatever
// else may stand there: a FIFO without a writer (or, for writing, without a
// reader) would make open() wait for ever, and a device or a folder is no
// data file. For the platform layers' sources only.
#pragma once

#include <cstddef>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace kvn {

// What kind of file a mode names, for the message that refuses it:
// "a folder", "a FIFO (named pipe)", "a socket", "a character device",
// "a block device", "a regular file", or "not a regular file".
const char* fileKindName(mode_t mode);

struct OpenedRegularFile {
    int fd = -1; // the caller owns it; negative when the open was refused
    int openErrno = 0; // errno of a failed open() (ENOENT: nothing there); 0 otherwise
    std::string error; // why it was refused: "Cannot open PATH: ..." or "Not opening PATH: it is a FIFO ..."
};

// Opens path with flags (O_CLOEXEC, O_NOCTTY and, while opening, O_NONBLOCK
// are added; createMode is used with O_CREAT) and refuses anything that is not
// a regular file. On success info describes the file and the descriptor is in
// blocking mode again, so that no file system may answer EAGAIN.
OpenedRegularFile openRegularFile(const std::string& path, int flags, struct stat& info, mode_t createMode = 0600);

// openRegularFile(path, O_RDONLY, info), less the two calls that put the
// descriptor back into blocking mode, which a reader of thousands of small
// files pays for each: a regular file's reads ignore O_NONBLOCK on the local
// file systems. Read it with readRegularFile, which switches the descriptor
// to blocking mode should a file system answer EAGAIN after all, and call
// makeBlocking before handing it to code that does not.
OpenedRegularFile openRegularFileToRead(const std::string& path, struct stat& info);

// openRegularFileToRead of `name` in the directory open as dirFd, so that
// the kernel walks no path to it; the errors name the file by `name`.
OpenedRegularFile openRegularFileToReadAt(int dirFd, const std::string& name, struct stat& info);

// read() of a descriptor from openRegularFileToRead: interrupted reads are
// tried again, and EAGAIN makes the descriptor blocking and tries again.
ssize_t readRegularFile(int fd, void* buffer, std::size_t size);

// Clears O_NONBLOCK.
void makeBlocking(int fd);

} // namespace kvn
