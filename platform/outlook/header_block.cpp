// Reads the header block of a message file in pieces, handing each to the
// header scan and stopping when the scan has seen the end of the block, so
// that a header question costs one or two reads for ordinary mail and bounded
// memory for any file.
#include "platform/outlook/header_block.h"

#include "platform/core/file_descriptor.h"
#include "platform/core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace kvn::outlook::detail {

namespace {

constexpr std::size_t readPieceBytes = 64 * 1024;

} // namespace

int openMessageFile(const std::string& path, struct stat* status)
{
    // A FIFO planted in a mail folder must not hang the reader: it is
    // refused, as is anything else that is not a regular file.
    struct stat info { };
    return openRegularFileToRead(path, status != nullptr ? *status : info).fd;
}

int openMessageFileAt(int dirFd, const std::string& name, struct stat& status)
{
    return openRegularFileToReadAt(dirFd, name, status).fd;
}

namespace {

// The piece buffer of this thread. Left uninitialised: only the bytes read
// are looked at. Kept for the thread's life: a fresh 64 KiB for every
// message would cost more than the read of a small one.
char* pieceBuffer()
{
    thread_local const std::unique_ptr<char[]> piece = std::make_unique_for_overwrite<char[]>(readPieceBytes);
    return piece.get();
}

std::optional<ScannedHeaders> scanPieces(
    int fd, const HeaderScanLimits& limits, std::size_t fileBytes, std::optional<std::string>* body)
{
    HeaderScanner scanner(limits);
    char* const piece = pieceBuffer();
    for (bool first = true;; first = false) {
        const ssize_t got = readRegularFile(fd, piece, readPieceBytes);
        if (got < 0)
            return std::nullopt;
        const auto size = static_cast<std::size_t>(got);
        if (got == 0 || !scanner.feed(std::string_view(piece, size))) {
            ScannedHeaders scanned = scanner.finish();
            if (body != nullptr && first && size == fileBytes && scanned.complete && scanned.bodyOffset <= size)
                body->emplace(piece + scanned.bodyOffset, size - scanned.bodyOffset);
            return scanned;
        }
    }
}

} // namespace

std::optional<ScannedHeaders> scanHeaderFile(int fd, const HeaderScanLimits& limits)
{
    return scanPieces(fd, limits, 0, nullptr);
}

std::optional<ScannedHeaders> scanHeaderFile(int fd, std::size_t fileBytes, std::optional<std::string>& body)
{
    body.reset();
    return scanPieces(fd, HeaderScanLimits{}, fileBytes, &body);
}

std::optional<ScannedHeaders> readHeaderBlock(const std::string& path, const HeaderScanLimits& limits)
{
    FileDescriptor file(openMessageFile(path));
    if (file.get() < 0)
        return std::nullopt;
    return scanHeaderFile(file.get(), limits);
}

} // namespace kvn::outlook::detail
