// Looking a message up again: the likely names first, then whole listings.
#include "platform/outlook/maildir_locate.h"

#include "platform/outlook/maildir_flags.h"

#include <vector>

namespace kvn::outlook {
namespace {

// Listings to take when the file is renamed again between a listing and the
// look at it (a window of microseconds).
constexpr int listingAttempts = 8;

// The names the message would have after a flag change or after a client
// took it from new/ into cur/.
std::vector<MessageFile> likelyPlaces(const MessageFile& lastSeen)
{
    std::vector<MessageFile> places{lastSeen};
    if (lastSeen.subdir == "cur") {
        places.push_back({"cur", nameWithSeen(lastSeen.fileName, !isSeen(lastSeen.fileName)), 0});
    } else {
        places.push_back({"cur", curNameOf(lastSeen.fileName), 0});
        places.push_back({"cur", nameWithSeen(lastSeen.fileName, true), 0});
    }
    return places;
}

const MessageFile* named(const std::vector<MessageFile>& files, std::string_view uniqueName)
{
    for (const auto& file : files) {
        if (uniqueNameOf(file.fileName) == uniqueName)
            return &file;
    }
    return nullptr;
}

enum class Lookup { Found, Absent, Retry, Unreadable };

// One look in one of new/ and cur/.
Lookup lookIn(const std::string& folderDir, const char* subdir, std::string_view uniqueName, MessageFile& out)
{
    auto listing = listSubfolder(folderDir, subdir);
    if (!listing)
        return Lookup::Unreadable;
    if (named(listing->vanished, uniqueName))
        return Lookup::Retry;
    const MessageFile* file = named(listing->files, uniqueName);
    if (!file)
        return Lookup::Absent;
    out = *file;
    switch (lookAtFile(folderDir, out)) {
    case FileState::Message:
        return Lookup::Found;
    case FileState::NotMessage:
        return Lookup::Absent;
    case FileState::Vanished:
        return Lookup::Retry;
    case FileState::Unreadable:
        return Lookup::Unreadable;
    }
    return Lookup::Unreadable;
}

} // namespace

LocatedMessage findMessageFile(const std::string& folderDir, std::string_view uniqueName, const MessageFile* lastSeen)
{
    LocatedMessage located;
    if (lastSeen && uniqueNameOf(lastSeen->fileName) == uniqueName) {
        for (auto& place : likelyPlaces(*lastSeen)) {
            if (lookAtFile(folderDir, place) == FileState::Message)
                return {LocateStatus::Found, std::move(place)};
        }
    }
    for (int attempt = 0; attempt < listingAttempts; ++attempt) {
        Lookup lookup = Lookup::Absent;
        for (const char* subdir : {"new", "cur"}) {
            lookup = lookIn(folderDir, subdir, uniqueName, located.file);
            if (lookup != Lookup::Absent)
                break;
        }
        switch (lookup) {
        case Lookup::Found:
            located.status = LocateStatus::Found;
            return located;
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
