// rename-without-replace, and the journalled move across file systems (see
// maildir_move.h for why each step comes where it does).
#include "platform/outlook/maildir_move.h"

#include "platform/core/file_descriptor.h"
#include "platform/outlook/maildir_move_steps.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <vector>

namespace kvn::outlook {
namespace {

using namespace move_steps;

// The unique names being moved by this process: a second move of one of
// them waits for the first to end. A handful at most move at once (one per
// thread), so they are kept in a short list rather than a hash set.
class MovesInProgress {
public:
    void begin(const std::string& unique)
    {
        std::unique_lock lock(mutex_);
        if (moving(unique)) {
            ++waiting_;
            ended_.wait(lock, [&] { return !moving(unique); });
            --waiting_;
        }
        moving_.push_back(unique);
    }
    void end(const std::string& unique)
    {
        {
            std::lock_guard lock(mutex_);
            const auto at = std::find(moving_.begin(), moving_.end(), unique);
            if (at != moving_.end()) {
                std::swap(*at, moving_.back());
                moving_.pop_back();
            }
        }
        ended_.notify_all();
    }
    std::size_t waiting()
    {
        std::lock_guard lock(mutex_);
        return waiting_;
    }

private:
    bool moving(const std::string& unique) const
    {
        return std::find(moving_.begin(), moving_.end(), unique) != moving_.end();
    }

    std::mutex mutex_;
    std::condition_variable ended_;
    std::vector<std::string> moving_;
    std::size_t waiting_ = 0;
};

MovesInProgress& movesInProgress()
{
    static MovesInProgress moves;
    return moves;
}

class OneMoveOf {
public:
    explicit OneMoveOf(std::string unique) : unique_(std::move(unique)) { movesInProgress().begin(unique_); }
    ~OneMoveOf() { movesInProgress().end(unique_); }
    OneMoveOf(const OneMoveOf&) = delete;
    OneMoveOf& operator=(const OneMoveOf&) = delete;

private:
    std::string unique_;
};

bool copyAll(int from, int to)
{
    char buffer[1 << 16];
    for (;;) {
        ssize_t got = read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(to, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
    }
}

// The target folder of a cur/ path.
std::string folderOfCurPath(const std::string& path) { return parentOf(parentOf(path)); }

struct StartedJournal {
    std::string path;
    std::string temporary;
};

// Writes and syncs the journal under a name no other journal has, and keeps
// it locked through `lock` while the move runs.
std::optional<StartedJournal> startJournal(
    const std::string& sourcePath, const std::string& targetPath, std::optional<FileDescriptor>& lock)
{
    static std::atomic<unsigned> counter{0};
    std::string tmp = folderOfCurPath(targetPath) + "/tmp";
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string stem
            = tmp + "/" + uniqueOf(targetPath) + "." + std::to_string(getpid()) + "." + std::to_string(counter++);
        std::string journal = stem + std::string(journalSuffix);
        std::string part = stem + std::string(partSuffix);
        lock.emplace(open(part.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (lock->get() < 0) {
            if (errno == EEXIST)
                continue; // a leftover of a process that had this pid
            return std::nullopt;
        }
        std::string text = journalText({folderOfCurPath(sourcePath), targetPath, stem});
        // Where the file system has no flock(), the journal goes unguarded: a
        // clean-up that takes it at worst makes this move report a failure;
        // it never loses or doubles the message.
        flock(lock->get(), LOCK_EX);
        bool written = write(lock->get(), text.data(), text.size()) == static_cast<ssize_t>(text.size())
            && fsync(lock->get()) == 0;
        RenameOutcome renamed = written ? renameNoReplace(part, journal) : RenameOutcome::Failed;
        int error = errno;
        if (renamed != RenameOutcome::Done) {
            unlink(part.c_str());
            if (written && error == EEXIST)
                continue;
            return std::nullopt;
        }
        if (!syncFolder(tmp)) {
            unlink(journal.c_str());
            return std::nullopt;
        }
        return StartedJournal{journal, stem};
    }
    return std::nullopt;
}

// Writes a synced copy with the source's mtime into the target's tmp/.
bool writeCopy(int source, const struct stat& info, const std::string& temporary)
{
    FileDescriptor out(open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777));
    if (out.get() < 0)
        return false;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    return copyAll(source, out.get()) && futimens(out.get(), times) == 0 && fsync(out.get()) == 0;
}

// Gives up a move before the source was touched. The journal goes first: a
// kill between the two leaves only a copy in tmp/, never a journal that
// could take the source's copy for a finished move's.
RenameOutcome abandonMove(const StartedJournal& journal)
{
    unlink(journal.path.c_str());
    unlink(journal.temporary.c_str());
    return RenameOutcome::Failed;
}

// The target could not be made durable: take it back, so that the message is
// only in the source. When even that fails the journal stays for the next
// opening, which finishes the move once the target's folder can be synced.
RenameOutcome undoRename(const StartedJournal& journal, const std::string& targetPath)
{
    if (unlink(targetPath.c_str()) == 0)
        unlink(journal.path.c_str());
    return RenameOutcome::Failed;
}

RenameOutcome moveAcrossFileSystems(const std::string& sourcePath, const std::string& targetPath)
{
    FileDescriptor source(open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0)
        return errno == ENOENT ? RenameOutcome::SourceGone : RenameOutcome::Failed;
    struct stat info { };
    if (fstat(source.get(), &info) != 0)
        return RenameOutcome::Failed;
    std::optional<FileDescriptor> lock;
    auto journal = startJournal(sourcePath, targetPath, lock);
    if (!journal)
        return RenameOutcome::Failed;
    if (!writeCopy(source.get(), info, journal->temporary)
        || renameNoReplace(journal->temporary, targetPath) != RenameOutcome::Done)
        return abandonMove(*journal);
    if (!syncFolder(parentOf(targetPath)))
        return undoRename(*journal, targetPath);
    std::string removedFrom;
    auto removal = removeMessageFile(folderOfCurPath(sourcePath), sourcePath, uniqueOf(sourcePath), removedFrom);
    if (removal != Removal::Removed)
        return RenameOutcome::Failed; // the journal stays: the next opening settles the source
    if (syncFolder(removedFrom))
        unlink(journal->path.c_str()); // else the next opening checks again that the source is gone
    return RenameOutcome::Done;
}

} // namespace

RenameOutcome renameNoReplaceAt(OpenPlace from, OpenPlace to)
{
    if (renameat2(from.dir, from.name, to.dir, to.name, RENAME_NOREPLACE) == 0)
        return RenameOutcome::Done;
    if (errno == EINVAL || errno == ENOSYS) {
        // The file system cannot refuse to replace; check first, and accept
        // the tiny race rather than never moving on such a file system.
        struct stat info { };
        if (fstatat(to.dir, to.name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            errno = EEXIST;
            return RenameOutcome::Failed;
        }
        if (renameat(from.dir, from.name, to.dir, to.name) == 0)
            return RenameOutcome::Done;
    }
    return errno == ENOENT ? RenameOutcome::SourceGone : RenameOutcome::Failed;
}

RenameOutcome renameNoReplace(const std::string& from, const std::string& to)
{
    return renameNoReplaceAt({AT_FDCWD, from.c_str()}, {AT_FDCWD, to.c_str()});
}

RenameOutcome moveMessageFile(const std::string& sourcePath, const std::string& targetPath)
{
    return moveMessageFile(sourcePath, targetPath, {AT_FDCWD, sourcePath.c_str()}, {AT_FDCWD, targetPath.c_str()});
}

RenameOutcome moveMessageFile(
    const std::string& sourcePath, const std::string& targetPath, OpenPlace from, OpenPlace to)
{
    OneMoveOf oneAtATime(uniqueOf(sourcePath));
    RenameOutcome outcome = renameNoReplaceAt(from, to);
    if (outcome == RenameOutcome::Failed && errno == EXDEV)
        return moveAcrossFileSystems(sourcePath, targetPath);
    return outcome;
}

std::size_t movesWaitingForTheSameMessage() { return movesInProgress().waiting(); }

} // namespace kvn::outlook
