// rename-without-replace, and the copy-sync-rename-unlink move across file
// systems (see maildir_move.h for why each step comes where it does).
#include "platform/outlook/maildir_move.h"

#include "platform/core/file_descriptor.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <atomic>
#include <fstream>
#include <string_view>
#include <vector>

namespace kvn::outlook {
namespace {

std::string parentOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

bool syncFolder(const std::string& folder)
{
    FileDescriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && fsync(fd.get()) == 0;
}

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

std::string fileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string uniqueOf(const std::string& path)
{
    std::string name = fileNameOf(path);
    return name.substr(0, name.find(':'));
}

// The target folder of a cur/ path.
std::string folderOfCurPath(const std::string& path) { return parentOf(parentOf(path)); }

std::string temporaryNameFor(const std::string& targetPath)
{
    static std::atomic<unsigned> counter{0};
    return folderOfCurPath(targetPath) + "/tmp/" + uniqueOf(targetPath) + "." + std::to_string(getpid()) + "."
        + std::to_string(counter++);
}

constexpr std::string_view journalSuffix = ".kvn-move";

std::string journalPathFor(const std::string& targetPath)
{
    return folderOfCurPath(targetPath) + "/tmp/" + uniqueOf(targetPath) + std::string(journalSuffix);
}

bool writeSynced(const std::string& path, const std::string& text)
{
    FileDescriptor out(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    return out.get() >= 0 && write(out.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size())
        && fsync(out.get()) == 0;
}

// The journal's lines: source folder, target path, temporary copy.
bool writeJournal(const std::string& journal, const std::string& sourcePath, const std::string& targetPath,
    const std::string& temporary)
{
    std::string part = journal + ".part";
    std::string text = folderOfCurPath(sourcePath) + "\n" + targetPath + "\n" + temporary + "\n";
    if (!writeSynced(part, text) || rename(part.c_str(), journal.c_str()) != 0) {
        unlink(part.c_str());
        return false;
    }
    return syncFolder(parentOf(journal));
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

RenameOutcome moveAcrossFileSystems(const std::string& sourcePath, const std::string& targetPath)
{
    FileDescriptor source(open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0)
        return errno == ENOENT ? RenameOutcome::SourceGone : RenameOutcome::Failed;
    struct stat info { };
    if (fstat(source.get(), &info) != 0)
        return RenameOutcome::Failed;
    std::string temporary = temporaryNameFor(targetPath);
    std::string journal = journalPathFor(targetPath);
    if (!writeCopy(source.get(), info, temporary) || !writeJournal(journal, sourcePath, targetPath, temporary)
        || renameNoReplace(temporary, targetPath) != RenameOutcome::Done) {
        unlink(temporary.c_str());
        unlink(journal.c_str());
        return RenameOutcome::Failed;
    }
    syncFolder(parentOf(targetPath));
    if (unlink(sourcePath.c_str()) != 0 && errno != ENOENT)
        return RenameOutcome::Failed; // the journal stays: the next opening removes the source
    syncFolder(parentOf(sourcePath));
    unlink(journal.c_str());
    return RenameOutcome::Done;
}

// The source's copy of an interrupted move, found by its unique name (its
// flags may have changed since).
void removeSourceCopy(const std::string& sourceFolder, const std::string& unique)
{
    for (const char* sub : {"/cur", "/new"}) {
        std::string dir = sourceFolder + sub;
        DIR* handle = opendir(dir.c_str());
        if (!handle)
            continue;
        std::string found;
        while (const dirent* entry = readdir(handle)) {
            std::string_view name = entry->d_name;
            if (name.substr(0, name.find(':')) == unique)
                found = dir + "/" + std::string(name);
        }
        closedir(handle);
        if (!found.empty() && unlink(found.c_str()) == 0)
            syncFolder(dir);
    }
}

void finishMove(const std::string& journal, const std::string& unique)
{
    std::ifstream file(journal);
    std::string sourceFolder;
    std::string targetPath;
    std::string temporary;
    bool complete = std::getline(file, sourceFolder) && std::getline(file, targetPath) && std::getline(file, temporary);
    struct stat info { };
    if (complete && lstat(targetPath.c_str(), &info) == 0 && uniqueOf(targetPath) == unique)
        removeSourceCopy(sourceFolder, unique);
    if (complete && parentOf(temporary) == parentOf(journal))
        unlink(temporary.c_str());
    unlink(journal.c_str());
}

} // namespace

RenameOutcome renameNoReplace(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return RenameOutcome::Done;
    if (errno == EINVAL || errno == ENOSYS) {
        // The file system cannot refuse to replace; check first, and accept
        // the tiny race rather than never moving on such a file system.
        struct stat info { };
        if (lstat(to.c_str(), &info) == 0)
            return RenameOutcome::Failed;
        if (rename(from.c_str(), to.c_str()) == 0)
            return RenameOutcome::Done;
    }
    return errno == ENOENT ? RenameOutcome::SourceGone : RenameOutcome::Failed;
}

void finishInterruptedMoves(const std::string& folderDir)
{
    std::string tmp = folderDir + "/tmp";
    DIR* handle = opendir(tmp.c_str());
    if (!handle)
        return;
    std::vector<std::string> journals;
    while (const dirent* entry = readdir(handle)) {
        std::string_view name = entry->d_name;
        if (name.size() > journalSuffix.size() && name.substr(name.size() - journalSuffix.size()) == journalSuffix)
            journals.emplace_back(name.substr(0, name.size() - journalSuffix.size()));
    }
    closedir(handle);
    for (const auto& unique : journals)
        finishMove(tmp + "/" + unique + std::string(journalSuffix), unique);
}

RenameOutcome moveMessageFile(const std::string& sourcePath, const std::string& targetPath)
{
    RenameOutcome outcome = renameNoReplace(sourcePath, targetPath);
    if (outcome == RenameOutcome::Failed && errno == EXDEV)
        return moveAcrossFileSystems(sourcePath, targetPath);
    return outcome;
}

} // namespace kvn::outlook
