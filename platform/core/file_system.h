// Files of the user's data, as the system's code needs them: whole-file reads,
// atomic replacement, and private folders. The real layer is POSIX; tests can
// wrap it to make any call fail.
#pragma once

#include "platform/core/status.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kvn {

struct FileContents {
    Status status = Status::success();
    bool existed = false;
    std::string bytes;
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
    virtual FileContents readFile(const std::string& path, std::size_t maxBytes) = 0;

    // Replaces the file's content as one step: the bytes go to a temporary
    // file in the same folder (mode 0600), are synced, and the temporary file
    // is renamed over the old one, and the folder is synced. On any failure
    // the old file is left whole and the temporary file is removed.
    virtual Status replaceFile(const std::string& path, std::string_view bytes) = 0;
};

// The machine's file system. Safe to call from any thread.
FileSystem& realFileSystem();

} // namespace kvn
