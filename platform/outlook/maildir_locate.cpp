// Looking a message up again: the likely names first, then whole listings.
#include "platform/outlook/maildir_locate.h"

#include "platform/outlook/maildir_flags.h"

#include <vector>

namespace kvn::outlook {
namespace {

// Rounds of a look at the likely names and a listing. A round fails only
// when another program renames the file again within the microseconds
// between two looks, so a few are plenty.
constexpr int attempts = 16;

const MessageFile* named(const std::vector<MessageFile>& files, std::string_view uniqueName)
{
    for (const auto& file : files) {
        if (uniqueNameOf(file.fileName) == uniqueName)
            return &file;
    }
    return nullptr;
}

enum class Lookup { Listed, Absent, Retry, Unreadable };

// The name the message has in one of new/ and cur/, read at once.
Lookup lookIn(const std::string& folderDir, Subdir subdir, std::string_view uniqueName, MessageFile& out)
{
    auto listing = listSubfolder(folderDir, subdir);
    if (!listing)
        return Lookup::Unreadable;
    if (const MessageFile* file = named(listing->files, uniqueName)) {
        out = *file;
        return Lookup::Listed;
    }
    return named(listing->vanished, uniqueName) ? Lookup::Retry : Lookup::Absent;
}

// new/ before cur/: a message a client moves from new/ into cur/ meanwhile
// is in one of the two listings.
Lookup lookInBoth(const std::string& folderDir, std::string_view uniqueName, MessageFile& out)
{
    Lookup lookup = lookIn(folderDir, Subdir::New, uniqueName, out);
    return lookup == Lookup::Absent ? lookIn(folderDir, Subdir::Cur, uniqueName, out) : lookup;
}

} // namespace

LocatedMessage findMessageFile(const std::string& folderDir, std::string_view uniqueName, const MessageFile* lastSeen)
{
    std::optional<MessageFile> guess;
    if (lastSeen && uniqueNameOf(lastSeen->fileName) == uniqueName)
        guess = *lastSeen;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (guess) {
            if (auto found = lookAround(folderDir, *guess))
                return {LocateStatus::Found, std::move(*found)};
        }
        MessageFile listed;
        switch (lookInBoth(folderDir, uniqueName, listed)) {
        case Lookup::Listed:
            guess = std::move(listed);
            break;
        case Lookup::Absent:
            return {LocateStatus::Gone, {}};
        case Lookup::Unreadable:
            return {LocateStatus::Unreadable, {}};
        case Lookup::Retry:
            break;
        }
    }
    return {LocateStatus::Gone, {}};
}

std::optional<MessageFile> locateMessage(const std::string& folderDir, std::string_view uniqueName)
{
    auto located = findMessageFile(folderDir, uniqueName);
    if (located.status != LocateStatus::Found)
        return std::nullopt;
    return std::move(located.file);
}

} // namespace kvn::outlook
