// The header block of a message file, read without touching the body.
#pragma once

#include "platform/outlook/header_scan.h"

#include <optional>
#include <string>
#include <sys/stat.h>

namespace kvn::outlook::detail {

// A read-only descriptor of a regular file (never blocks on a FIFO or
// device), or -1 when the path is missing, unreadable or not a regular file.
// It may be in non-blocking mode: read it with readRegularFile, and call
// makeBlocking before handing it to GMime (platform/core/regular_file.h).
// `status`, when given, gets the open file's fstat.
int openMessageFile(const std::string& path, struct stat* status = nullptr);

// openMessageFile of `name` in the directory open as dirFd.
int openMessageFileAt(int dirFd, const std::string& name, struct stat& status);

// The header block of the file open as `fd`, scanned from the file's current
// offset in pieces as it is read (see readHeaderBlock). The descriptor is
// left where the reading stopped. Empty when a read fails.
std::optional<ScannedHeaders> scanHeaderFile(int fd, const HeaderScanLimits& limits = {});

// scanHeaderFile of a file read from its start, `fileBytes` long by its
// fstat, that also sets `body` to the bytes after the block when the block
// is complete and the first read took in the whole file: the body of a small
// message is then in memory already. `body` is left empty otherwise.
std::optional<ScannedHeaders> scanHeaderFile(int fd, std::size_t fileBytes, std::optional<std::string>& body);

// The header block of a message file, scanned in pieces as it is read: the
// file is read up to the empty line that ends the block, the end of the file
// or limits.blockBytes, whichever comes first, and never further than one
// piece past it. Empty when the file cannot be opened or read.
std::optional<ScannedHeaders> readHeaderBlock(const std::string& path, const HeaderScanLimits& limits = {});

} // namespace kvn::outlook::detail
