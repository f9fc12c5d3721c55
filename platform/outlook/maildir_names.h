// Folder names on disk as a Maildir++ store served by Dovecot writes them: a
// folder B inside A is the directory ".A.B"; each name is held in modified
// UTF-7 (as IMAP names non-ASCII mailboxes, "&" written "&-"), and the
// characters Maildir++ cannot hold as they are ("." the separator, "/", the
// escape "\" itself, and a leading "~") are written as "\" and two hex digits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvn::outlook {

// One level of a folder name (UTF-8) in its on-disk form.
std::string encodeFolderName(std::string_view name);
// The UTF-8 name of one on-disk level. A level that is not valid modified
// UTF-7 is shown as it is, so that no folder is ever hidden.
std::string decodeFolderName(std::string_view encoded);

// The directory name of a folder path, e.g. {"A", "B"} -> ".A.B"; the empty
// path (the Inbox, the store's root) gives "".
std::string folderDirectoryName(const std::vector<std::string>& path);
// The folder path of a Maildir++ directory name; empty when the name is not
// one (it must start with "." and name at least one level).
std::vector<std::string> folderPathOfDirectory(std::string_view directoryName);

} // namespace kvn::outlook
