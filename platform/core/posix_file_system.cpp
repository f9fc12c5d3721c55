#include "platform/core/file_system.h"

#include "platform/core/file_descriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvn {
namespace {

std::string describe(const std::string& what, const std::string& path, int error)
{
    return what + " " + path + ": " + std::strerror(error);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

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

class PosixFileSystem final : public FileSystem {
public:
    bool isFolder(const std::string& path) const override
    {
        struct stat info { };
        return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    Status ensurePrivateFolder(const std::string& path) override
    {
        if (::mkdir(path.c_str(), 0700) == 0)
            return Status::success();
        if (errno != EEXIST || !isFolder(path))
            return Status::failure(describe("Cannot create the folder", path, errno));
        if (::chmod(path.c_str(), 0700) != 0)
            return Status::failure(describe("Cannot make the folder private", path, errno));
        return Status::success();
    }

    FileContents readFile(const std::string& path, std::size_t maxBytes) override
    {
        FileContents contents;
        FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (file.get() < 0) {
            if (errno != ENOENT)
                contents.status = Status::failure(describe("Cannot open", path, errno));
            return contents;
        }
        contents.existed = true;
        struct stat info { };
        if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            contents.status = Status::failure("Not a readable file: " + path);
            return contents;
        }
        if (static_cast<std::size_t>(info.st_size) > maxBytes) {
            contents.status = Status::failure("The file is too large to be read: " + path);
            return contents;
        }
        contents.bytes.reserve(static_cast<std::size_t>(info.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                contents.status = Status::failure(describe("Cannot read", path, errno));
                contents.bytes.clear();
                return contents;
            }
            if (got == 0)
                break;
            if (contents.bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
                contents.status = Status::failure("The file is too large to be read: " + path);
                contents.bytes.clear();
                return contents;
            }
            contents.bytes.append(buffer, static_cast<std::size_t>(got));
        }
        return contents;
    }

    Status replaceFile(const std::string& path, std::string_view bytes) override
    {
        std::string temporary = path + ".tmp.XXXXXX";
        FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
        if (file.get() < 0)
            return Status::failure(describe("Cannot create a temporary file beside", path, errno));
        // mkostemp creates the file 0600 already; keep it so even under an odd umask.
        ::fchmod(file.get(), 0600);
        const bool written = writeAll(file.get(), bytes) && ::fsync(file.get()) == 0;
        const int writeError = errno;
        if (!file.close() || !written) {
            ::unlink(temporary.c_str());
            return Status::failure(describe("Cannot write", path, written ? EIO : writeError));
        }
        if (::rename(temporary.c_str(), path.c_str()) != 0) {
            const int renameError = errno;
            ::unlink(temporary.c_str());
            return Status::failure(describe("Cannot replace", path, renameError));
        }
        // The rename itself is durable only once the folder is synced.
        FileDescriptor folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0)
            ::fsync(folder.get());
        return Status::success();
    }
};

} // namespace

FileSystem& realFileSystem()
{
    static PosixFileSystem fileSystem;
    return fileSystem;
}

} // namespace kvn
