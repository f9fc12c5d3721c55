// Moving and renaming message files so that a message is never lost or
// duplicated, whatever instant the process is killed at.
//
// Within one file system a move is one rename(): before it the file is in the
// source folder, after it in the target, never in both or neither. The rename
// never replaces an existing file (a message of the same name in the target
// would be lost).
//
// Across file systems, in this order:
//   1. a journal "<stem>.kvn-move" naming the source folder, the target path
//      and the copy's name is synced into the target's tmp/ (written as
//      ".kvn-move.part" and renamed), and kept locked (flock) while the move
//      runs, so that another process's clean-up leaves it alone;
//   2. the message is copied into the target's tmp/ under the stem, synced,
//      given the source's mtime, and renamed into cur/; cur/ is synced;
//   3. the source is unlinked, found again by its unique name when another
//      program changed its flags meanwhile, and its folder synced;
//   4. the journal is removed.
// A failure before 3 undoes the copy and leaves the message in the source.
// A failure in 3 (the source cannot be found or removed) keeps the journal.
//
// finishInterruptedMoves() reads a journal that no live move holds: while
// its copy is still in tmp/ the rename never happened and the copy goes;
// once the message is in the target (by unique name: another client may have
// marked it read since) the source's copy goes. So a message is never lost,
// and never left twice once the store is opened again.
//
// Moves of one message (one unique name) within a process run one at a
// time; journals of concurrent movers, here or in other processes, have
// distinct names.
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
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

// A file by its name in a directory held open (AT_FDCWD: name is a path).
struct OpenPlace {
    int dir;
    const char* name;
};

// renameNoReplace between places in open directories: the kernel walks no
// path to them.
RenameOutcome renameNoReplaceAt(OpenPlace from, OpenPlace to);

// Completes the moves into this folder that a kill interrupted (see above)
// and removes the folder's leftover tmp/ files: unfinished journals, and any
// other file whose status has not changed for 36 hours (Maildir's rule for
// tmp/; a younger file may be a delivery in progress). `now` is the time the
// age is measured from. Any thread.
void finishInterruptedMoves(const std::string& folderDir, std::time_t now = std::time(nullptr));

// Moves the file to targetPath (a cur/ file of another folder), across file
// systems if need be, keeping its mtime. Done: the message is at targetPath
// and no longer in the source. SourceGone: nothing was done. Failed: the
// message is still in the source, unless another program removed or renamed
// it past finding during the move (then a journal is kept and the next
// opening of the store settles it). Any thread; waits while another move of
// the same message runs in this process.
RenameOutcome moveMessageFile(const std::string& sourcePath, const std::string& targetPath);

// moveMessageFile that renames between places in open directories, which
// must be the two paths' files; the paths serve a move across file systems.
RenameOutcome moveMessageFile(
    const std::string& sourcePath, const std::string& targetPath, OpenPlace from, OpenPlace to);

// How moves make a folder's entries durable; the default opens the folder
// and fsync()s it. Tests wrap it (to fail where the kernel would not, or to
// act as another client at that instant); replace it only while no move
// runs. Returns the hook replaced.
using FolderSyncHook = std::function<bool(const std::string& folder)>;
bool syncFolderToDisk(const std::string& folder);
FolderSyncHook replaceFolderSync(FolderSyncHook hook);

// How many moves of this process wait for another move of the same message
// to end (what tests watch to know that a second move is held back).
std::size_t movesWaitingForTheSameMessage();

} // namespace kvn::outlook
