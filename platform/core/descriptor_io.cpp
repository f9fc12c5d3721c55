#include "platform/core/descriptor_io.h"

#include "platform/core/regular_file.h"

#include <cerrno>
#include <unistd.h>

namespace kvn {

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::optional<std::string> readAtMost(int fd, std::size_t limit)
{
    std::string text(limit, '\0');
    std::size_t filled = 0;
    while (filled < text.size()) {
        const ssize_t got = readRegularFile(fd, text.data() + filled, text.size() - filled);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    text.resize(filled);
    return text;
}

} // namespace kvn
