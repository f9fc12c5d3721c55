#include "platform/core/posix_file_system.h"

#include "platform/core/descriptor_io.h"
#include "platform/core/file_descriptor.h"
#include "platform/core/regular_file.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
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

class PosixFileSystem final : public FileSystem {
public:
    explicit PosixFileSystem(SyncCall sync) : sync_(sync) { }

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
        struct stat info { };
        const OpenedRegularFile opened = openRegularFile(path, O_RDONLY, info);
        FileDescriptor file(opened.fd);
        if (file.get() < 0) {
            if (opened.openErrno == ENOENT)
                return contents;
            contents.existed = true;
            contents.status = Status::failure(opened.error);
            return contents;
        }
        contents.existed = true;
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
        const bool written = writeAll(file.get(), bytes) && sync_(file.get()) == 0;
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
        const std::string folderPath = folderOf(path);
        FileDescriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() < 0 || sync_(folder.get()) != 0)
            return Status::failure(describe("Cannot sync the folder", folderPath, errno) + " (the new " + path
                + " may not survive a crash)");
        return Status::success();
    }

    FolderListing listFolder(const std::string& path) override
    {
        FolderListing listing;
        DIR* folder = ::opendir(path.c_str());
        if (folder == nullptr) {
            listing.status = Status::failure(describe("Cannot list", path, errno));
            return listing;
        }
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(folder);
            if (entry == nullptr)
                break;
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                listing.names.emplace_back(name);
        }
        if (errno != 0) {
            listing.status = Status::failure(describe("Cannot list", path, errno));
            listing.names.clear();
        }
        ::closedir(folder);
        return listing;
    }

    Status removeFile(const std::string& path) override
    {
        if (::unlink(path.c_str()) == 0 || errno == ENOENT)
            return Status::success();
        return Status::failure(describe("Cannot remove", path, errno));
    }

private:
    SyncCall sync_;
};

} // namespace

std::unique_ptr<FileSystem> makePosixFileSystem(SyncCall sync) { return std::make_unique<PosixFileSystem>(sync); }

FileSystem& realFileSystem()
{
    static PosixFileSystem fileSystem(::fsync);
    return fileSystem;
}

} // namespace kvn
