// Files of the user's data, as the system's code needs them: whole-file reads,
// atomic replacement, and private folders. The real layer is POSIX; tests can
// wrap it to make any call fail.
#pragma once

#include "platform/core/status.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

struct FileContents {
    Status status = Status::success();
    bool existed = false;
    std::string bytes;
};

// The names in a folder, without "." and "..".
struct FolderListing {
    Status status = Status::success();
    std::vector<std::string> names;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool isFolder(const std::string& path) const = 0;

    // Creates the folder with mode 0700 when it is missing; its parent must
    // already exist. An existing folder is made 0700 too (a folder created by
    // hand or by an older version); one that cannot be made so is a failure.
    virtual Status ensurePrivateFolder(const std::string& path) = 0;

    // The whole file. A missing file is success with existed == false and no
    // bytes. A file larger than maxBytes fails rather than being read in part.
    // Only a regular file (or a symbolic link to one) is read: a FIFO, a
    // device, a socket or a folder fails at once, naming what it is, and is
    // never waited on.
    virtual FileContents readFile(const std::string& path, std::size_t maxBytes) = 0;

    // Replaces the file's content as one step: the bytes go to a temporary
    // file "<path>.tmp.XXXXXX" in the same folder (mode 0600), are synced,
    // the temporary file is renamed over the old one, and the folder is
    // synced. On a failure before the rename the old file is left whole and
    // the temporary file is removed. A failed sync of the folder after the
    // rename is a failure too: the new content is in place but may not
    // survive a crash, so the caller must not take the write as done.
    virtual Status replaceFile(const std::string& path, std::string_view bytes) = 0;

    // The entries of a folder, in no particular order.
    virtual FolderListing listFolder(const std::string& path) = 0;

    // Removes one file (never a folder). A missing file is success.
    virtual Status removeFile(const std::string& path) = 0;
};

// The machine's file system. Safe to call from any thread.
FileSystem& realFileSystem();

// Keeps bytes beside a damaged file under base, or else base.1, base.2, ...:
// the first name that is free or already holds the same bytes, so that keeping
// the same damaged file again and again leaves one copy and an earlier copy of
// other bytes is never overwritten. Copies larger than maxBytes are skipped.
// On success the path is the copy's; on failure it is empty.
struct KeptCopy {
    Status status = Status::success();
    std::string path;
};
KeptCopy keepNumberedCopy(FileSystem& files, const std::string& base, std::string_view bytes, std::size_t maxBytes);

} // namespace kvn
