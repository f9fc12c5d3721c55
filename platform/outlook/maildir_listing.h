// The messages of one Maildir folder, read from its cur/ and new/ listings
// (and file metadata when asked) without opening any message.
//
// Other programs rename messages at any time (a flag change turns
// "u:2," into "u:2,S"; a client moves "new/u" to "cur/u:2,"). So each of
// new/ and cur/ is read at once (whole_directory.h), new/ before cur/: a
// message that stays in the folder is then seen at least once, and it is
// kept once, by its unique name, its sight in cur/ winning. A file that
// vanishes between the listing and a look at its metadata was renamed or
// removed meanwhile: it is looked up again by its unique name in a fresh
// listing, and left out only when it is gone from the folder.
#pragma once

#include "platform/core/file_descriptor.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kvn::outlook {

// Which of a folder's two message directories a file is in. A folder's
// listing holds an entry for each of its messages, so the entry names its
// directory by this byte rather than by a string of its own.
enum class Subdir : std::uint8_t { Cur, New };
// "cur" or "new".
const char* subdirName(Subdir subdir);

struct MessageFile {
    Subdir subdir = Subdir::Cur;
    std::string fileName;
    std::int64_t mtime = 0; // seconds since 1970, when looked at
};

// What a look at one message file found.
enum class FileState {
    Message, // a regular file (or a link to one); its mtime is filled in
    NotMessage, // a folder, FIFO, device, dangling or looping link
    Vanished, // nothing of that name any more (renamed or removed meanwhile)
    Unreadable, // the folder refused the look (no permission to search it)
};
FileState lookAtFile(const std::string& folderDir, MessageFile& file);

// folderDir/subdir/fileName.
std::string messagePath(const std::string& folderDir, const MessageFile& file);

// The message at its last-seen name, or at the name that a change of the
// seen flag or a client's move from new/ into cur/ gives it, with its mtime;
// one stat() per name tried. Empty when it is at none of them.
std::optional<MessageFile> lookAround(const std::string& folderDir, const MessageFile& lastSeen);

// One of cur/ and new/, read at once: the entries that are messages
// (regular files by their directory entry; links and entries of unknown type
// after a look at them) and those that vanished while being looked at.
// Empty when the directory exists but cannot be read whole; no entries when
// it does not exist.
struct SubfolderListing {
    std::vector<MessageFile> files;
    std::vector<MessageFile> vanished;
    bool atOnce = true; // see WholeDirectory::atOnce
};
std::optional<SubfolderListing> listSubfolder(const std::string& folderDir, Subdir subdir);

// Every message of the folder (a directory holding cur/ and new/), each
// unique name once; mtimes are not filled in. Empty when the folder, its cur/
// or its new/ cannot be read whole: a failure, never an empty folder.
std::optional<std::vector<MessageFile>> listMessages(const std::string& folderDir);

// new/ and cur/ of a folder, open for working on many of their files by name
// alone: the kernel then walks no path for each. A subfolder that cannot be
// opened is worked on by whole paths.
class SubfolderHandles {
public:
    explicit SubfolderHandles(std::string folderDir);

    const std::string& folderDir() const { return folderDir_; }
    // The open subfolder a file is in; negative when it is not open.
    int directoryOf(const MessageFile& file) const;
    // lookAtFile, by name where the subfolder is open.
    FileState look(MessageFile& file) const;
    int cur() const { return cur_.get(); }

private:
    std::string folderDir_;
    FileDescriptor fresh_;
    FileDescriptor cur_;
};

// The directories one walk works in, open while the walk lasts: its folder's
// new/ and cur/, and the cur/ of each folder its items are moved into. The
// items of the walk rename their files by name in them, so that the kernel
// walks no path for a move; anything that fails that way is tried again by
// path. Any thread.
class WalkDirectories {
public:
    explicit WalkDirectories(SubfolderHandles source) : source_(std::move(source)) { }

    const SubfolderHandles& source() const { return source_; }
    // The cur/ of a folder, opened on first use (the source's own for the
    // walk's folder); negative when it cannot be opened.
    int targetCur(const std::string& folderDir);

private:
    SubfolderHandles source_;
    std::mutex mutex_;
    std::vector<std::pair<std::string, FileDescriptor>> targets_;
};

// Fills in the mtime of each file (files of one folder, each unique name
// once). A file renamed meanwhile is looked up again by its unique name and
// kept under its current name; one gone from the folder, or no longer a
// regular file, is left out. False when the folder cannot be read any more.
bool addTimes(const SubfolderHandles& subfolders, std::vector<MessageFile>& files);

// True when the folder is a directory whose cur/ and new/ can be opened for
// listing (either may be missing).
bool canListMessages(const std::string& folderDir);

// The mtime of a file; empty when it does not exist.
std::optional<std::int64_t> fileMtime(const std::string& path);

} // namespace kvn::outlook
