// A Maildir++ store: where its folders live on disk, creating them, listing
// their names, and the session's cache of parsed messages.
#include "platform/outlook/maildir_internal.h"

#include "platform/core/utf8_text.h"
#include "platform/outlook/maildir_move.h"
#include "platform/outlook/maildir_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace kvn::outlook {
namespace {

bool makeFolder(const std::string& path) { return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST; }

bool isFolder(const std::string& path)
{
    struct stat info { };
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::shared_ptr<MessageCache> CacheRegistry::track()
{
    auto cache = std::make_shared<MessageCache>();
    std::lock_guard lock(mutex_);
    // Released items are dropped from the list whenever it has doubled, so
    // that tracking stays cheap however many items are alive.
    if (caches_.size() >= pruneAt_) {
        std::erase_if(caches_, [](const auto& weak) { return weak.expired(); });
        pruneAt_ = std::max<std::size_t>(64, caches_.size() * 2);
    }
    caches_.push_back(cache);
    return cache;
}

void CacheRegistry::cleanup()
{
    std::lock_guard lock(mutex_);
    for (const auto& weak : caches_) {
        if (auto cache = weak.lock()) {
            std::lock_guard cacheLock(cache->mutex);
            cache->headers.reset();
            cache->content.reset();
        }
    }
    std::erase_if(caches_, [](const auto& weak) { return weak.expired(); });
}

std::string MaildirStore::folderDirectory(const std::vector<std::string>& path) const
{
    if (path.empty())
        return config_.root;
    return config_.root + "/" + folderDirectoryName(path);
}

bool MaildirStore::ensureMaildir(const std::vector<std::string>& path)
{
    std::lock_guard lock(createMutex_);
    std::string dir = folderDirectory(path);
    if (isFolder(dir + "/cur") && isFolder(dir + "/new") && isFolder(dir + "/tmp"))
        return true;
    if (!isFolder(config_.root) || !makeFolder(dir))
        return false;
    for (const char* sub : {"/tmp", "/new", "/cur"}) {
        if (!makeFolder(dir + sub))
            return false;
    }
    if (!path.empty()) {
        // Maildir++ marks a sub-folder with an empty "maildirfolder" file.
        int fd = open((dir + "/maildirfolder").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0)
            close(fd);
    }
    return true;
}

void MaildirStore::finishInterruptedMoves() const
{
    kvn::outlook::finishInterruptedMoves(config_.root);
    DIR* dir = opendir(config_.root.c_str());
    if (!dir)
        return;
    std::vector<std::string> folders;
    while (const dirent* entry = readdir(dir)) {
        if (!folderPathOfDirectory(entry->d_name).empty())
            folders.push_back(config_.root + "/" + entry->d_name);
    }
    closedir(dir);
    for (const auto& folder : folders)
        kvn::outlook::finishInterruptedMoves(folder);
}

std::vector<std::string> MaildirStore::childNames(const std::vector<std::string>& path) const
{
    std::vector<std::string> names;
    DIR* dir = opendir(config_.root.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
            continue;
        auto folderPath = folderPathOfDirectory(entry->d_name);
        if (folderPath.size() <= path.size() || !std::equal(path.begin(), path.end(), folderPath.begin()))
            continue;
        // Only Maildir folders count: other dot-folders of the root (an
        // indexer's database, say) are not mail. A missing level above a
        // Maildir folder (".A.B" without ".A") still shows as A.
        if (!isFolder(config_.root + "/" + entry->d_name + "/cur"))
            continue;
        names.push_back(folderPath[path.size()]);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int order = compareIgnoringCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace kvn::outlook
