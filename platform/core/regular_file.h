// Opening a path that must name a regular file, without blocking on whatever
// else may stand there: a FIFO without a writer (or, for writing, without a
// reader) would make open() wait for ever, and a device or a folder is no
// data file. For the platform layers' sources only.
#pragma once

#include <string>
#include <sys/stat.h>

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

} // namespace kvn
