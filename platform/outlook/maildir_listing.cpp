// Listings of Maildir folders: whole-directory reads, stat() where the entry
// type or the time is needed, and renamed files found again by unique name.
#include "platform/outlook/maildir_listing.h"

#include "platform/core/file_descriptor.h"
#include "platform/core/vector_growth.h"
#include "platform/outlook/maildir_flags.h"
#include "platform/outlook/whole_directory.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <iterator>
#include <unordered_map>

namespace kvn::outlook {
namespace {

// Rounds of listing the folder again for files renamed other than by the
// likely names; a round fails only when another program renames the same
// file again within the microseconds between two looks, so a few are plenty.
constexpr int relocationRounds = 16;

bool mayBeMessage(const DirectoryEntry& entry)
{
    if (entry.name.empty() || entry.name.front() == '.')
        return false;
    using Type = DirectoryEntry::Type;
    return entry.type == Type::Regular || entry.type == Type::Symlink || entry.type == Type::Unknown;
}

// The messages of a folder by unique name, each once. A listing read at once
// names each file once, so the first one is taken whole; the index (views of
// the names in files_) is made only when a file is to be added or looked up.
class Snapshot {
public:
    void addListing(SubfolderListing& listing)
    {
        if (!listing.atOnce || !files_.empty()) {
            reserve(files_.size() + listing.files.size());
            for (auto& file : listing.files)
                add(std::move(file));
            return;
        }
        files_ = std::move(listing.files);
    }
    // Adds the file unless its unique name is in already.
    void add(MessageFile file)
    {
        if (holds(uniqueNameOf(file.fileName)))
            return;
        if (files_.size() == files_.capacity())
            reserve(files_.size() + 1);
        files_.push_back(std::move(file));
    }
    bool holds(std::string_view unique) { return find(unique) != nullptr; }
    const MessageFile* find(std::string_view unique)
    {
        for (; indexed_ < files_.size(); ++indexed_)
            index_.emplace(uniqueNameOf(files_[indexed_].fileName), indexed_);
        auto at = index_.find(unique);
        return at == index_.end() ? nullptr : &files_[at->second];
    }
    std::vector<MessageFile> take() { return std::move(files_); }

private:
    // Room for `size` files, grown by half: the vector holds a whole
    // folder's listing, so a doubling costs much.
    void reserve(std::size_t size)
    {
        if (size <= files_.capacity())
            return;
        index_.clear(); // the views would dangle once the names move
        indexed_ = 0;
        reserveFor(files_, size);
    }

    std::vector<MessageFile> files_;
    std::unordered_map<std::string_view, std::size_t> index_;
    std::size_t indexed_ = 0;
};

bool holdsUnique(const std::vector<MessageFile>& files, std::string_view unique)
{
    for (const auto& file : files) {
        if (uniqueNameOf(file.fileName) == unique)
            return true;
    }
    return false;
}

// new/ then cur/, cur/ winning; files vanished while looked at go to vanished.
bool listBoth(const std::string& folderDir, Snapshot& snapshot, std::vector<MessageFile>& vanished)
{
    auto fresh = listSubfolder(folderDir, Subdir::New);
    auto cur = fresh ? listSubfolder(folderDir, Subdir::Cur) : std::nullopt;
    if (!cur)
        return false;
    for (auto* listing : {&*cur, &*fresh}) {
        snapshot.addListing(*listing);
        for (auto& file : listing->vanished)
            vanished.push_back(std::move(file));
    }
    return true;
}

// Finds the vanished files again under their current names (with their
// mtimes when withTimes); those gone from the folder, or whose unique name
// the snapshot holds already, are left out. Empty when the folder cannot be
// read any more.
std::optional<std::vector<MessageFile>> relocate(
    const std::string& folderDir, bool withTimes, std::vector<MessageFile> vanished, Snapshot* snapshot)
{
    std::vector<MessageFile> found;
    std::vector<MessageFile> pending;
    for (auto& lost : vanished) {
        if (snapshot && snapshot->holds(uniqueNameOf(lost.fileName)))
            continue;
        if (auto file = lookAround(folderDir, lost))
            found.push_back(std::move(*file));
        else
            pending.push_back(std::move(lost));
    }
    for (int round = 0; round < relocationRounds && !pending.empty(); ++round) {
        Snapshot now;
        std::vector<MessageFile> vanishedNow;
        if (!listBoth(folderDir, now, vanishedNow))
            return std::nullopt;
        std::vector<MessageFile> again;
        for (auto& lost : pending) {
            std::string_view unique = uniqueNameOf(lost.fileName);
            const MessageFile* current = now.find(unique);
            if (!current) {
                if (holdsUnique(vanishedNow, unique))
                    again.push_back(std::move(lost));
                continue; // else gone from the folder
            }
            if (!withTimes)
                found.push_back(*current);
            else if (auto file = lookAround(folderDir, *current))
                found.push_back(std::move(*file));
            else
                again.push_back(*current);
        }
        pending = std::move(again);
    }
    return found;
}

} // namespace

const char* subdirName(Subdir subdir) { return subdir == Subdir::New ? "new" : "cur"; }

std::string messagePath(const std::string& folderDir, const MessageFile& file)
{
    // Built in one allocation: every look at a message starts here.
    std::string path;
    path.reserve(folderDir.size() + file.fileName.size() + 5);
    path.append(folderDir).append(1, '/').append(subdirName(file.subdir)).append(1, '/').append(file.fileName);
    return path;
}

namespace {

// lookAtFile of `name` in the directory open as `dir` (AT_FDCWD: `name` is
// the whole path).
FileState lookAtFileAt(int dir, const char* name, MessageFile& file)
{
    struct stat info { };
    if (fstatat(dir, name, &info, 0) == 0) {
        if (!S_ISREG(info.st_mode))
            return FileState::NotMessage;
        file.mtime = info.st_mtim.tv_sec;
        return FileState::Message;
    }
    switch (errno) {
    case ENOENT:
        // Either a link whose target is missing, or a file renamed away (and
        // perhaps back again since).
        if (fstatat(dir, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return FileState::Vanished;
        if (!S_ISREG(info.st_mode))
            return FileState::NotMessage;
        file.mtime = info.st_mtim.tv_sec;
        return FileState::Message;
    case ELOOP:
    case ENAMETOOLONG:
        return FileState::NotMessage;
    default:
        return FileState::Unreadable;
    }
}

} // namespace

SubfolderHandles::SubfolderHandles(std::string folderDir)
    : folderDir_(std::move(folderDir)),
      fresh_(open((folderDir_ + "/new").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      cur_(open((folderDir_ + "/cur").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

int SubfolderHandles::directoryOf(const MessageFile& file) const
{
    return file.subdir == Subdir::New ? fresh_.get() : cur_.get();
}

FileState SubfolderHandles::look(MessageFile& file) const
{
    const int dir = directoryOf(file);
    if (dir < 0)
        return lookAtFile(folderDir_, file);
    return lookAtFileAt(dir, file.fileName.c_str(), file);
}

int WalkDirectories::targetCur(const std::string& folderDir)
{
    if (folderDir == source_.folderDir())
        return source_.cur();
    std::lock_guard lock(mutex_);
    for (const auto& [directory, cur] : targets_) {
        if (directory == folderDir)
            return cur.get();
    }
    FileDescriptor cur(open((folderDir + "/cur").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (cur.get() < 0)
        return -1; // not kept: the folder may be made later
    return targets_.emplace_back(folderDir, std::move(cur)).second.get();
}

FileState lookAtFile(const std::string& folderDir, MessageFile& file)
{
    return lookAtFileAt(AT_FDCWD, messagePath(folderDir, file).c_str(), file);
}

// The file at its last-seen name, or at the name a flag change or a client's
// move from new/ into cur/ gives it.
std::optional<MessageFile> lookAround(const std::string& folderDir, const MessageFile& lastSeen)
{
    MessageFile file = lastSeen;
    if (lookAtFile(folderDir, file) == FileState::Message)
        return file;
    std::vector<MessageFile> renamed;
    if (lastSeen.subdir == Subdir::Cur) {
        renamed.push_back({Subdir::Cur, nameWithSeen(lastSeen.fileName, !isSeen(lastSeen.fileName)), 0});
    } else {
        renamed.push_back({Subdir::Cur, curNameOf(lastSeen.fileName), 0});
        renamed.push_back({Subdir::Cur, nameWithSeen(lastSeen.fileName, true), 0});
    }
    for (auto& place : renamed) {
        if (lookAtFile(folderDir, place) == FileState::Message)
            return place;
    }
    return std::nullopt;
}

std::optional<SubfolderListing> listSubfolder(const std::string& folderDir, Subdir subdir)
{
    auto directory = readWholeDirectory(folderDir + "/" + subdirName(subdir));
    if (!directory) {
        if (errno == ENOENT)
            return SubfolderListing{};
        return std::nullopt;
    }
    SubfolderListing listing;
    listing.atOnce = directory->atOnce;
    listing.files.reserve(directory->entries.size());
    for (auto& entry : directory->entries) {
        if (!mayBeMessage(entry))
            continue;
        MessageFile file{subdir, std::move(entry.name), 0};
        if (entry.type == DirectoryEntry::Type::Regular) {
            listing.files.push_back(std::move(file));
            continue;
        }
        switch (lookAtFile(folderDir, file)) {
        case FileState::Message:
            listing.files.push_back(std::move(file));
            break;
        case FileState::NotMessage:
            break;
        case FileState::Vanished:
            listing.vanished.push_back(std::move(file));
            break;
        case FileState::Unreadable:
            return std::nullopt;
        }
    }
    return listing;
}

std::optional<std::vector<MessageFile>> listMessages(const std::string& folderDir)
{
    struct stat info { };
    if (stat(folderDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    Snapshot snapshot;
    std::vector<MessageFile> vanished;
    if (!listBoth(folderDir, snapshot, vanished))
        return std::nullopt;
    if (vanished.empty())
        return snapshot.take();
    auto found = relocate(folderDir, false, std::move(vanished), &snapshot);
    if (!found)
        return std::nullopt;
    for (auto& file : *found)
        snapshot.add(std::move(file));
    return snapshot.take();
}

bool addTimes(const SubfolderHandles& subfolders, std::vector<MessageFile>& files)
{
    std::vector<MessageFile> vanished;
    std::size_t kept = 0;
    for (auto& file : files) {
        switch (subfolders.look(file)) {
        case FileState::Message:
            if (&files[kept] != &file)
                files[kept] = std::move(file);
            ++kept;
            break;
        case FileState::NotMessage:
            break;
        case FileState::Vanished:
            vanished.push_back(std::move(file));
            break;
        case FileState::Unreadable:
            return false;
        }
    }
    files.resize(kept);
    if (vanished.empty())
        return true;
    auto found = relocate(subfolders.folderDir(), true, std::move(vanished), nullptr);
    if (!found)
        return false;
    std::move(found->begin(), found->end(), std::back_inserter(files));
    return true;
}

bool canListMessages(const std::string& folderDir)
{
    struct stat info { };
    if (stat(folderDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    for (const char* subdir : {"/cur", "/new"}) {
        FileDescriptor dir(open((folderDir + subdir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() < 0 && errno != ENOENT)
            return false;
    }
    return true;
}

std::optional<std::int64_t> fileMtime(const std::string& path)
{
    struct stat info { };
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return info.st_mtim.tv_sec;
}

} // namespace kvn::outlook
