// The steps that a move across file systems and the completion of an
// interrupted one share: the journal's name and text, finding a message's
// file by its unique name, removing it, and syncing a folder. Not for callers
// (see maildir_move.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn::outlook::move_steps {

// "<stem>.kvn-move" in the target's tmp/, written as "<stem>.kvn-move.part"
// and renamed. The stem is "<unique>.<pid>.<counter>", the name of the copy
// in tmp/; journals of an older layout are "<unique>.kvn-move". Either way
// the message is known by the target path's unique name, not by the file name.
constexpr std::string_view journalSuffix = ".kvn-move";
constexpr std::string_view partSuffix = ".kvn-move.part";

// The journal's three lines.
struct Journal {
    std::string sourceFolder; // the folder the message comes from
    std::string targetPath; // its cur/ path in the target folder, as first named
    std::string temporary; // the copy in the target's tmp/ before its rename
};

std::string journalText(const Journal& journal);
// Empty when the text is not three non-empty lines.
std::optional<Journal> parseJournal(std::string_view text);

std::string parentOf(const std::string& path);
// The unique name of a message file's path (its name before ":").
std::string uniqueOf(const std::string& path);
bool endsWith(std::string_view text, std::string_view suffix);

// fsync() of a folder, through the replaceable hook of maildir_move.h; false
// when it cannot be opened or synced.
bool syncFolder(const std::string& folder);

// The paths in the folder's new/ and cur/ (new/ read first, so that a file
// another program moves from new/ to cur/ meanwhile is seen) whose unique
// name is the one given. Each directory is read at once (whole_directory.h),
// but a file moved from new/ to cur/ between the two reads can still be
// missed; callers look twice before they conclude that there is none.
std::vector<std::string> filesNamed(const std::string& folderDir, const std::string& unique);

enum class Removal {
    Removed, // one file of the message was unlinked; removedFrom is its directory
    NotFound, // the folder has no file of the message (looked for twice)
    Failed, // the file system refused, or the file kept being renamed away
};

// Unlinks the message's file from the folder: at knownPath when it is still
// there (knownPath may be empty), else wherever its unique name is found
// now (another program may have changed its flags or moved it to cur/).
Removal removeMessageFile(
    const std::string& folderDir, const std::string& knownPath, const std::string& unique, std::string& removedFrom);

} // namespace kvn::outlook::move_steps
