// Moving and renaming message files so that a message is never lost or
// duplicated, whatever instant the process is killed at.
//
// Within one file system a move is one rename(): before it the file is in the
// source folder, after it in the target, never in both or neither. The rename
// never replaces an existing file (a message of the same name in the target
// would be lost). Across file systems the file is copied into the target's
// tmp/ (as Maildir delivery does), synced, renamed into cur/ with the source's
// mtime, the folder synced, and only then the source unlinked. Before the
// rename a journal "<unique>.kvn-move" is synced into the target's tmp/,
// naming the source folder; it is removed once the source is gone. A kill
// before the rename leaves only tmp/ files; a kill between rename and unlink
// leaves the message in both folders and the journal, and
// finishInterruptedMoves() then removes the source's copy. So a message is
// never lost, and never left twice once the store is opened again.
#pragma once

#include <string>

namespace kvn::outlook {

enum class RenameOutcome {
    Done,
    SourceGone, // the source no longer exists (another program renamed or moved it)
    Failed, // the target exists, or the file system refused
};

// rename() that never replaces an existing target. Both paths on one file
// system; across file systems it fails (use moveMessageFile).
RenameOutcome renameNoReplace(const std::string& from, const std::string& to);

// Completes the moves across file systems into this folder that a kill
// interrupted (see above), and removes their leftover tmp/ files.
void finishInterruptedMoves(const std::string& folderDir);

// Moves the file to targetPath (a cur/ file of another folder), across file
// systems if need be, keeping its mtime.
RenameOutcome moveMessageFile(const std::string& sourcePath, const std::string& targetPath);

} // namespace kvn::outlook
