// Whole reads and writes on an open file descriptor, resumed after signals
// and short transfers, for the layers that hold descriptors themselves.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kvn {

// Writes every byte; false on an error or when the file takes no more.
bool writeAll(int fd, std::string_view bytes);

// Reads up to `limit` bytes, fewer only at the end of the file (a pipe
// hands its bytes over in pieces); none on a read error. A descriptor in
// non-blocking mode is made blocking when a read would block.
std::optional<std::string> readAtMost(int fd, std::size_t limit);

} // namespace kvn
