// The header block of a message file, read without touching the body.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kvn::outlook::detail {

// At most this many bytes of a header block are kept.
inline constexpr std::size_t maxHeaderBlockBytes = 1024 * 1024;

// The header lines of a message in memory: everything before the first empty
// line (LF or CRLF), line ends kept, the empty line itself left out. Without an
// empty line the whole text is the block. A block longer than
// maxHeaderBlockBytes is cut after its last complete line within that limit.
std::string_view headerBlockOf(std::string_view message);

// A read-only descriptor of a regular file (never blocks on a FIFO or
// device), or -1 when the path is missing, unreadable or not a regular file.
int openMessageFile(const std::string& path);

// The header block of a message file, reading only as much of the file as the
// block needs (and never more than maxHeaderBlockBytes plus one read).
// Empty when the file cannot be opened or read.
std::optional<std::string> readHeaderBlock(const std::string& path);

} // namespace kvn::outlook::detail
