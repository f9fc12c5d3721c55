// Reads the header block of a message file in small pieces, stopping at the
// empty line that ends it, so that a header question costs one or two reads
// however large the message is.
#include "platform/outlook/header_block.h"

#include "platform/core/file_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kvn::outlook::detail {

namespace {

constexpr std::size_t readChunkBytes = 16 * 1024;

// The offset just past the header lines, or npos while no empty line is
// seen. The search for the line end before the empty line starts at `from`.
std::size_t endOfHeaderLines(std::string_view text, std::size_t from = 0)
{
    if (from == 0 && (text.starts_with("\n") || text.starts_with("\r\n")))
        return 0;
    for (std::size_t at = text.find('\n', from); at != std::string_view::npos; at = text.find('\n', at + 1)) {
        const std::string_view rest = text.substr(at + 1);
        if (rest.starts_with("\n") || rest.starts_with("\r\n"))
            return at + 1;
    }
    return std::string_view::npos;
}

std::string_view cutToLimit(std::string_view block)
{
    if (block.size() <= maxHeaderBlockBytes)
        return block;
    std::string_view limited = block.substr(0, maxHeaderBlockBytes);
    const std::size_t lastLineEnd = limited.rfind('\n');
    return lastLineEnd == std::string_view::npos ? limited : limited.substr(0, lastLineEnd + 1);
}

} // namespace

int openMessageFile(const std::string& path)
{
    // O_NONBLOCK: a FIFO planted in a mail folder must not hang the reader;
    // it is then refused as not a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat status { };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string_view headerBlockOf(std::string_view message)
{
    const std::size_t end = endOfHeaderLines(message);
    return cutToLimit(end == std::string_view::npos ? message : message.substr(0, end));
}

std::optional<std::string> readHeaderBlock(const std::string& path)
{
    FileDescriptor file(openMessageFile(path));
    if (file.get() < 0)
        return std::nullopt;
    std::string text;
    // The empty line may straddle two reads: search again from a little
    // before the new data.
    std::size_t searchFrom = 0;
    while (text.size() <= maxHeaderBlockBytes) {
        const std::size_t oldSize = text.size();
        text.resize(oldSize + readChunkBytes);
        const ssize_t got = ::read(file.get(), text.data() + oldSize, readChunkBytes);
        if (got < 0 && errno == EINTR) {
            text.resize(oldSize);
            continue;
        }
        if (got < 0)
            return std::nullopt;
        text.resize(oldSize + static_cast<std::size_t>(got));
        if (got == 0)
            break;
        const std::size_t end = endOfHeaderLines(text, searchFrom);
        if (end != std::string_view::npos)
            return std::string(cutToLimit(std::string_view(text).substr(0, end)));
        searchFrom = text.size() > 2 ? text.size() - 2 : 0;
    }
    return std::string(headerBlockOf(text));
}

} // namespace kvn::outlook::detail
