// Finishing the moves a kill interrupted, and clearing a folder's tmp/ of
// what killed moves and deliveries left there (see maildir_move.h).
#include "platform/outlook/maildir_move.h"

#include "platform/core/descriptor_io.h"
#include "platform/core/file_descriptor.h"
#include "platform/outlook/maildir_move_steps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kvn::outlook {
namespace {

using namespace move_steps;

constexpr std::time_t staleAfterSeconds = 36 * 60 * 60;
constexpr std::size_t largestJournal = 1 << 16;

bool exists(const std::string& path)
{
    struct stat info { };
    return lstat(path.c_str(), &info) == 0;
}

bool isMaildir(const std::string& folder)
{
    struct stat info { };
    return stat((folder + "/cur").c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The journal's text, at most largestJournal bytes; empty when unreadable.
std::optional<std::string> readJournal(int fd) { return readAtMost(fd, largestJournal + 1); }

// Whether the message has a file in the folder, looked for twice (a file
// being renamed by another program can be missed by one listing).
bool hasMessage(const std::string& folderDir, const std::string& unique)
{
    return !filesNamed(folderDir, unique).empty() || !filesNamed(folderDir, unique).empty();
}

// The journal's copy, when it lies in this tmp/ (a journal naming a file
// elsewhere is not ours to act on).
std::string ownTemporary(const Journal& journal, const std::string& tmp)
{
    return parentOf(journal.temporary) == tmp ? journal.temporary : std::string();
}

// Settles a finished journal; false when it must stay (the file system
// refused a step, and the next opening tries again).
bool settle(const Journal& journal, const std::string& folderDir)
{
    std::string tmp = folderDir + "/tmp";
    std::string temporary = ownTemporary(journal, tmp);
    if (!temporary.empty() && exists(temporary))
        return unlink(temporary.c_str()) == 0; // the rename into cur/ never happened
    std::string unique = uniqueOf(journal.targetPath);
    if (unique.empty() || parentOf(journal.targetPath) != folderDir + "/cur" || journal.sourceFolder == folderDir
        || !isMaildir(journal.sourceFolder) || !hasMessage(folderDir, unique))
        return true; // never copied here (or moved on already): the source keeps it
    if (!syncFolder(folderDir + "/cur"))
        return false;
    std::string removedFrom;
    switch (removeMessageFile(journal.sourceFolder, {}, unique, removedFrom)) {
    case Removal::Removed:
        return syncFolder(removedFrom);
    case Removal::NotFound:
        return true;
    case Removal::Failed:
        return false;
    }
    return false;
}

// One journal (or its ".part", never renamed: its copy was not yet made or
// not yet renamed) that no live move holds.
void finishJournal(const std::string& path, bool isPart, const std::string& folderDir)
{
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat info { };
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return; // a move in progress, here or in another process
    if (fstat(fd.get(), &info) != 0 || info.st_nlink == 0)
        return; // that move ended while we waited
    auto text = readJournal(fd.get());
    if (!text)
        return;
    auto journal = parseJournal(*text);
    if (journal && isPart) {
        std::string temporary = ownTemporary(*journal, folderDir + "/tmp");
        if (!temporary.empty())
            unlink(temporary.c_str());
    }
    if (!journal || isPart || settle(*journal, folderDir))
        unlink(path.c_str());
}

std::vector<std::string> entriesOf(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* handle = opendir(dir.c_str());
    if (!handle)
        return names;
    while (const dirent* entry = readdir(handle)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    closedir(handle);
    return names;
}

// Files whose status changed last 36 hours ago or earlier. The status time
// is what counts, not the mtime: a move's copy carries its message's old
// mtime from the start.
void removeStaleFiles(const std::string& tmp, std::time_t now)
{
    FileDescriptor dir(open(tmp.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return;
    for (const auto& name : entriesOf(tmp)) {
        struct stat info { };
        if (endsWith(name, journalSuffix) || endsWith(name, partSuffix)
            || fstatat(dir.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(info.st_mode))
            continue;
        if (info.st_ctim.tv_sec + staleAfterSeconds <= now)
            unlinkat(dir.get(), name.c_str(), 0);
    }
}

} // namespace

void finishInterruptedMoves(const std::string& folderDir, std::time_t now)
{
    std::string tmp = folderDir + "/tmp";
    for (const auto& name : entriesOf(tmp)) {
        if (endsWith(name, journalSuffix))
            finishJournal(tmp + "/" + name, false, folderDir);
        else if (endsWith(name, partSuffix))
            finishJournal(tmp + "/" + name, true, folderDir);
    }
    removeStaleFiles(tmp, now);
}

} // namespace kvn::outlook
