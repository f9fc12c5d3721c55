// A folder's place in the object model as names: the store's display name,
// then each folder name down to it. The Outlook bar's shortcuts and the
// window's last folder are kept this way.
#pragma once

#include "platform/outlook/outlook.h"

#include <string>
#include <vector>

namespace kvn::outlook {

// The path of the folder; empty for no folder.
std::vector<std::string> folderPath(const FolderPtr& folder);

// The folder at such a path; nullptr when it is not (or no longer) there.
FolderPtr folderAtPath(const NamespacePtr& mapi, const std::vector<std::string>& path);

} // namespace kvn::outlook
