// Directory listings of Maildir folders with opendir/readdir and fstatat.
#include "platform/outlook/maildir_listing.h"

#include "platform/outlook/maildir_flags.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <unordered_set>

namespace kvn::outlook {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool isMessageEntry(const dirent& entry)
{
    if (entry.d_name[0] == '.')
        return false;
    return entry.d_type == DT_REG || entry.d_type == DT_UNKNOWN || entry.d_type == DT_LNK;
}

// Lists one of cur/ and new/; false when it exists but cannot be read.
bool listSubdir(const std::string& folderDir, const char* subdir, bool withTimes, std::vector<MessageFile>& out)
{
    DirHandle dir(opendir((folderDir + "/" + subdir).c_str()));
    if (!dir)
        return errno == ENOENT;
    int fd = dirfd(dir.get());
    while (const dirent* entry = readdir(dir.get())) {
        if (!isMessageEntry(*entry))
            continue;
        MessageFile file{subdir, entry->d_name, 0};
        if (withTimes || entry->d_type == DT_UNKNOWN) {
            struct stat info { };
            if (fstatat(fd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
                continue;
            file.mtime = info.st_mtim.tv_sec;
        }
        out.push_back(std::move(file));
    }
    return true;
}

} // namespace

std::optional<std::vector<MessageFile>> listMessages(const std::string& folderDir, bool withTimes)
{
    struct stat info { };
    if (stat(folderDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    // new/ is read before cur/: a message that another program moves from
    // new/ to cur/ meanwhile is then seen at least once, and its sight in
    // cur/ (its current place) wins over the one in new/.
    std::vector<MessageFile> fresh;
    std::vector<MessageFile> files;
    if (!listSubdir(folderDir, "new", withTimes, fresh) || !listSubdir(folderDir, "cur", withTimes, files))
        return std::nullopt;
    if (fresh.empty())
        return files;
    files.reserve(files.size() + fresh.size()); // the views below stay valid
    std::unordered_set<std::string_view> inCur;
    inCur.reserve(files.size());
    for (const auto& file : files)
        inCur.insert(uniqueNameOf(file.fileName));
    for (auto& file : fresh) {
        if (!inCur.count(uniqueNameOf(file.fileName)))
            files.push_back(std::move(file));
    }
    return files;
}

void addTimes(const std::string& folderDir, std::vector<MessageFile>& files)
{
    DirHandle cur(opendir((folderDir + "/cur").c_str()));
    DirHandle fresh(opendir((folderDir + "/new").c_str()));
    std::erase_if(files, [&](MessageFile& file) {
        DIR* dir = file.subdir == "cur" ? cur.get() : fresh.get();
        struct stat info { };
        if (!dir || fstatat(dirfd(dir), file.fileName.c_str(), &info, 0) != 0 || !S_ISREG(info.st_mode))
            return true;
        file.mtime = info.st_mtim.tv_sec;
        return false;
    });
}

std::optional<MessageFile> locateMessage(const std::string& folderDir, std::string_view uniqueName)
{
    for (const char* subdir : {"cur", "new"}) {
        DirHandle dir(opendir((folderDir + "/" + subdir).c_str()));
        if (!dir)
            continue;
        while (const dirent* entry = readdir(dir.get())) {
            if (isMessageEntry(*entry) && uniqueNameOf(entry->d_name) == uniqueName)
                return MessageFile{subdir, entry->d_name, 0};
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> fileMtime(const std::string& path)
{
    struct stat info { };
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return info.st_mtim.tv_sec;
}

} // namespace kvn::outlook
