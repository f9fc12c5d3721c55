// The journal's text, finding and removing a message's file by its unique
// name, and the folder sync that tests can wrap.
#include "platform/outlook/maildir_move_steps.h"

#include "platform/core/file_descriptor.h"
#include "platform/outlook/maildir_move.h"
#include "platform/outlook/whole_directory.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace kvn::outlook {
namespace {

std::mutex syncHookMutex;
FolderSyncHook syncHook = syncFolderToDisk;

} // namespace

bool syncFolderToDisk(const std::string& folder)
{
    FileDescriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && fsync(fd.get()) == 0;
}

FolderSyncHook replaceFolderSync(FolderSyncHook hook)
{
    std::lock_guard lock(syncHookMutex);
    std::swap(syncHook, hook);
    return hook;
}

namespace move_steps {

std::string journalText(const Journal& journal)
{
    return journal.sourceFolder + "\n" + journal.targetPath + "\n" + journal.temporary + "\n";
}

std::optional<Journal> parseJournal(std::string_view text)
{
    std::string lines[3];
    for (auto& line : lines) {
        std::size_t end = text.find('\n');
        if (end == 0 || end == std::string_view::npos)
            return std::nullopt;
        line = text.substr(0, end);
        text.remove_prefix(end + 1);
    }
    if (!text.empty())
        return std::nullopt;
    return Journal{lines[0], lines[1], lines[2]};
}

std::string parentOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string uniqueOf(const std::string& path)
{
    std::string name = path.substr(path.rfind('/') + 1);
    return name.substr(0, name.find(':'));
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() > suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool syncFolder(const std::string& folder)
{
    FolderSyncHook hook;
    {
        std::lock_guard lock(syncHookMutex);
        hook = syncHook;
    }
    return hook(folder);
}

std::vector<std::string> filesNamed(const std::string& folderDir, const std::string& unique)
{
    std::vector<std::string> paths;
    for (const char* sub : {"/new", "/cur"}) {
        const std::string dir = folderDir + sub;
        const std::optional<WholeDirectory> listing = readWholeDirectory(dir);
        if (!listing)
            continue;
        for (const DirectoryEntry& entry : listing->entries) {
            const std::string_view name = entry.name;
            if (name[0] != '.' && name.substr(0, name.find(':')) == unique)
                paths.push_back(dir + "/" + entry.name);
        }
    }
    return paths;
}

Removal removeMessageFile(
    const std::string& folderDir, const std::string& knownPath, const std::string& unique, std::string& removedFrom)
{
    std::vector<std::string> candidates;
    if (!knownPath.empty())
        candidates.push_back(knownPath);
    // Each look either removes a file, or finds the names the file has now;
    // a file renamed on every look is given up on.
    int emptyLooks = 0;
    for (int look = 0; look < 6; ++look) {
        for (const auto& path : candidates) {
            if (unlink(path.c_str()) == 0) {
                removedFrom = parentOf(path);
                return Removal::Removed;
            }
            if (errno != ENOENT)
                return Removal::Failed;
        }
        candidates = filesNamed(folderDir, unique);
        emptyLooks = candidates.empty() ? emptyLooks + 1 : 0;
        if (emptyLooks == 2)
            return Removal::NotFound;
    }
    return Removal::Failed;
}

} // namespace move_steps
} // namespace kvn::outlook
