// A file that only grows, as a log needs it: every append is one write at the
// file's end, so that lines written by several threads (or processes) at once
// never mix. The real layer is POSIX.
#pragma once

#include "platform/core/status.h"

#include <memory>
#include <string>
#include <string_view>

namespace kvn {

class AppendOnlyFile {
public:
    virtual ~AppendOnlyFile() = default;

    virtual const std::string& path() const = 0;

    // Adds the bytes at the end of the file as one write. The file is opened
    // for each call and closed after it, so a file deleted meanwhile is made
    // anew: created 0600, its folder (and any missing folder above it) 0700.
    // Only a regular file is written; a FIFO, a device or a folder at the
    // path fails at once and is never waited on. Safe from any thread.
    virtual Status append(std::string_view bytes) = 0;

    // Empties the file, creating it (and its folders) as append does.
    virtual Status truncate() = 0;
};

// The file at an absolute path on the machine's file system.
std::unique_ptr<AppendOnlyFile> openAppendOnlyFile(std::string path);

} // namespace kvn
