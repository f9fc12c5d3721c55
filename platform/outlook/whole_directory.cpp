// getdents64() into one buffer that grows until the directory fits.
#include "platform/outlook/whole_directory.h"

#include "platform/core/file_descriptor.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace kvn::outlook {
namespace {

// A call that stops with this much room left stopped at the end of the
// directory: the longest entry (a 255-byte name) takes 280 bytes.
constexpr std::size_t roomForAnyEntry = 512;
constexpr std::size_t smallestBuffer = 32 * 1024;
// 256 MiB hold about three million entries of Maildir's long names.
constexpr std::size_t largestBuffer = 256 * 1024 * 1024;

DirectoryEntry::Type typeOf(unsigned char type)
{
    switch (type) {
    case DT_REG:
        return DirectoryEntry::Type::Regular;
    case DT_DIR:
        return DirectoryEntry::Type::Directory;
    case DT_LNK:
        return DirectoryEntry::Type::Symlink;
    case DT_UNKNOWN:
        return DirectoryEntry::Type::Unknown;
    default:
        return DirectoryEntry::Type::Other;
    }
}

std::size_t countRecords(const char* buffer, std::size_t size)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < size; ++count) {
        unsigned short length = 0;
        std::memcpy(&length, buffer + at + offsetof(dirent64, d_reclen), sizeof length);
        at += length;
    }
    return count;
}

// Each record's entry. A directory read at once is held exactly, rather
// than up to three times over while its vector doubles.
void appendEntries(const char* buffer, std::size_t size, std::vector<DirectoryEntry>& out)
{
    if (out.empty())
        out.reserve(countRecords(buffer, size));
    for (std::size_t at = 0; at < size;) {
        dirent64 record;
        std::memcpy(&record, buffer + at, std::min(sizeof record, size - at));
        const char* name = buffer + at + offsetof(dirent64, d_name);
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
            out.push_back({name, typeOf(record.d_type)});
        at += record.d_reclen;
    }
}

// Reads from the descriptor's position to the end; false on a read error.
bool readRest(int fd, char* buffer, std::size_t size, std::vector<DirectoryEntry>& out)
{
    for (;;) {
        ssize_t got = getdents64(fd, buffer, size);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        appendEntries(buffer, static_cast<std::size_t>(got), out);
    }
}

// Room for the whole directory at the first try on the usual file systems
// (ext4 gives its size in blocks, tmpfs about 20 bytes per entry).
std::size_t firstBufferSize(int fd)
{
    struct stat info { };
    if (fstat(fd, &info) != 0 || info.st_size <= 0)
        return smallestBuffer;
    auto hint = static_cast<std::size_t>(info.st_size) * 4;
    return std::clamp(hint + smallestBuffer, smallestBuffer, largestBuffer);
}

} // namespace

std::optional<WholeDirectory> readWholeDirectory(const std::string& path)
{
    FileDescriptor dir(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return std::nullopt;
    WholeDirectory result;
    for (std::size_t size = firstBufferSize(dir.get());; size = std::min(size * 2, largestBuffer)) {
        // Not zeroed: pages the kernel does not write to are never touched.
        std::unique_ptr<char[]> buffer(new char[size]);
        if (lseek(dir.get(), 0, SEEK_SET) != 0)
            return std::nullopt;
        ssize_t got = getdents64(dir.get(), buffer.get(), size);
        if (got < 0)
            return std::nullopt;
        auto used = static_cast<std::size_t>(got);
        bool roomLeft = size - used >= roomForAnyEntry;
        if (!roomLeft && size < largestBuffer)
            continue;
        appendEntries(buffer.get(), used, result.entries);
        // The end is confirmed by a call that gives nothing more; a file
        // system that gives short reads is read on in parts.
        ssize_t more = getdents64(dir.get(), buffer.get(), size);
        if (more < 0)
            return std::nullopt;
        if (more == 0 && roomLeft)
            return result;
        result.atOnce = false;
        appendEntries(buffer.get(), static_cast<std::size_t>(more), result.entries);
        if (!readRest(dir.get(), buffer.get(), size, result.entries))
            return std::nullopt;
        return result;
    }
}

} // namespace kvn::outlook
