// What the mail and profile commands share: the profile's mail store opened
// from the registry, folders named by path, and e-mails found by EntryID.
#pragma once

#include "platform/outlook/outlook.h"
#include "tools/kvnctl/command.h"

#include <string>
#include <vector>

namespace kvn::kvnctl {

// The application over the stores of the command's --profile.
outlook::ApplicationPtr openProfileMail(const CommandContext& context);

// A folder named "Store/Folder/Sub" or, in the first store, "Folder/Sub"
// ("Inbox", "Archive/2024"). A "/" or "\" inside a name is written "\/" or
// "\\" ("Has\/Slash/Inbox"). nullptr when there is no such folder.
outlook::FolderPtr folderAtPath(const outlook::NamespacePtr& ns, const std::string& path);

// "Store/Folder/Sub" of a folder, escaped as folderAtPath reads it.
std::string pathOfFolder(const outlook::FolderPtr& folder);

// Every mail folder of every store, depth first, in the stores' order.
std::vector<outlook::FolderPtr> allMailFolders(const outlook::NamespacePtr& ns);

// The e-mail with this EntryID in any mail folder; nullptr when none.
outlook::MailItemPtr findMailById(const outlook::NamespacePtr& ns, const std::string& entryId);

} // namespace kvn::kvnctl
