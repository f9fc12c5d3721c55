// The append-only file over POSIX: O_APPEND writes of whole buffers, one
// writer of this process at a time.
#include "platform/core/append_file.h"

#include "platform/core/file_descriptor.h"
#include "platform/core/regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>

namespace kvn {
namespace {

Status failure(const char* what, const std::string& path, int error)
{
    return Status::failure(std::string(what) + " " + path + ": " + std::strerror(error));
}

// Creates every missing folder of the path's parent, 0700.
Status ensureFoldersAbove(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST)
            continue;
        return failure("Cannot create the folder", folder, errno);
    }
    return Status::success();
}

class PosixAppendOnlyFile final : public AppendOnlyFile {
public:
    explicit PosixAppendOnlyFile(std::string path) : path_(std::move(path)) { }

    const std::string& path() const override { return path_; }

    Status append(std::string_view bytes) override { return write(O_APPEND, bytes); }
    Status truncate() override { return write(O_TRUNC, {}); }

private:
    Status write(int mode, std::string_view bytes)
    {
        // A partial write (a full disk, a signal) is continued under the lock,
        // so this process never lets another of its lines in between.
        std::lock_guard lock(mutex_);
        if (Status folders = ensureFoldersAbove(path_); !folders.ok())
            return folders;
        // Opening a FIFO for writing would wait for a reader: it is refused.
        struct stat info { };
        OpenedRegularFile opened = openRegularFile(path_, O_WRONLY | O_CREAT | mode, info);
        FileDescriptor file(opened.fd);
        if (file.get() < 0)
            return Status::failure(opened.error);
        while (!bytes.empty()) {
            const ssize_t written = ::write(file.get(), bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return failure("Cannot write", path_, written < 0 ? errno : EIO);
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        if (!file.close())
            return failure("Cannot write", path_, errno);
        return Status::success();
    }

    std::string path_;
    std::mutex mutex_;
};

} // namespace

std::unique_ptr<AppendOnlyFile> openAppendOnlyFile(std::string path)
{
    return std::make_unique<PosixAppendOnlyFile>(std::move(path));
}

} // namespace kvn
