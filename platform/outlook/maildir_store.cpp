// A Maildir++ store: where its folders live on disk, creating them, listing
// their names, and the session's cache of parsed messages.
#include "platform/outlook/maildir_internal.h"

#include "platform/core/utf8_text.h"
#include "platform/outlook/maildir_move.h"
#include "platform/outlook/maildir_names.h"
#include "platform/outlook/whole_directory.h"

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

// A mail folder is known by its cur/ directory, so that two names for one
// folder (a link ".X -> ." or ".X -> .Y", or a cur/ linked to another's) show
// it once.
struct FolderIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FolderIdentity&) const = default;
};

std::optional<FolderIdentity> identityOf(const std::string& folderDir)
{
    struct stat info { };
    if (stat((folderDir + "/cur").c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderIdentity{info.st_dev, info.st_ino};
}

bool isLink(const std::string& root, const DirectoryEntry& entry)
{
    if (entry.type != DirectoryEntry::Type::Unknown)
        return entry.type == DirectoryEntry::Type::Symlink;
    struct stat info { };
    return lstat((root + "/" + entry.name).c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

} // namespace

std::vector<std::string> mailFolderDirectories(const std::string& root)
{
    std::vector<std::string> folders;
    auto directory = readWholeDirectory(root);
    auto rootIdentity = identityOf(root);
    if (!directory)
        return folders;
    std::vector<FolderIdentity> seen;
    if (rootIdentity)
        seen.push_back(*rootIdentity);
    // Real directories first, then links in name order: a link never hides
    // the folder it points to.
    std::vector<std::pair<bool, const DirectoryEntry*>> ordered;
    for (const auto& entry : directory->entries) {
        using Type = DirectoryEntry::Type;
        bool mayBeFolder = entry.type == Type::Directory || entry.type == Type::Symlink || entry.type == Type::Unknown;
        if (mayBeFolder && !folderPathOfDirectory(entry.name).empty())
            ordered.emplace_back(isLink(root, entry), &entry);
    }
    std::sort(ordered.begin(), ordered.end(),
        [](const auto& a, const auto& b) { return a.first != b.first ? !a.first : a.second->name < b.second->name; });
    for (const auto& [link, entry] : ordered) {
        auto identity = identityOf(root + "/" + entry->name);
        if (!identity || std::find(seen.begin(), seen.end(), *identity) != seen.end())
            continue;
        seen.push_back(*identity);
        folders.push_back(entry->name);
    }
    return folders;
}

std::shared_ptr<MessageCache> CacheRegistry::track()
{
    auto cache = std::make_shared<MessageCache>();
    std::lock_guard lock(mutex_);
    cache->serial = nextSerial_++;
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
            cache->unparsedRecipients.reset();
            cache->content.reset();
            cache->textFromHtml = false;
            cache->layout.reset();
        }
    }
    std::erase_if(caches_, [](const auto& weak) { return weak.expired(); });
    std::lock_guard bodyLock(bodyMutex_);
    bodyOwner_ = 0;
    body_ = std::string();
}

void CacheRegistry::keepBody(const MessageCache& owner, std::string body)
{
    std::lock_guard lock(bodyMutex_);
    bodyOwner_ = owner.serial;
    body_ = std::move(body);
}

std::optional<std::string> CacheRegistry::takeBody(const MessageCache& owner)
{
    std::lock_guard lock(bodyMutex_);
    if (bodyOwner_ == 0 || bodyOwner_ != owner.serial)
        return std::nullopt;
    bodyOwner_ = 0;
    return std::move(body_);
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
    for (const auto& name : mailFolderDirectories(config_.root))
        kvn::outlook::finishInterruptedMoves(config_.root + "/" + name);
}

std::vector<std::string> MaildirStore::childNames(const std::vector<std::string>& path) const
{
    // Only Maildir folders count: other dot-folders of the root (an indexer's
    // database, say) are not mail. A missing level above a Maildir folder
    // (".A.B" without ".A") still shows as A.
    std::vector<std::string> names;
    for (const auto& directory : mailFolderDirectories(config_.root)) {
        auto folderPath = folderPathOfDirectory(directory);
        if (folderPath.size() <= path.size() || !std::equal(path.begin(), path.end(), folderPath.begin()))
            continue;
        names.push_back(folderPath[path.size()]);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int order = compareIgnoringCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace kvn::outlook
