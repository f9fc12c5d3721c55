// Where a folder of the object model is: its path from the store's top (as
// the Outlook bar and the window's settings write it) and its Maildir folder
// on disk (which the window watches).
#pragma once

#include "platform/outlook/maildir_store.h"
#include "platform/outlook/outlook.h"

#include <string>
#include <vector>

namespace kvn::host {

// The store's display name, then each folder name down to the folder; empty
// for no folder.
std::vector<std::string> folderPath(const outlook::FolderPtr& folder);

// The folder at such a path; nullptr when it is not (or no longer) there.
outlook::FolderPtr folderAtPath(const outlook::NamespacePtr& mapi, const std::vector<std::string>& path);

// The Maildir folder (holding cur/, new/, tmp/) of a mail folder: a store's
// root for its Inbox, root/.A.B for B inside A. Empty for a store's top, its
// Contacts, or a store not among `stores`.
std::string folderDirectory(const std::vector<outlook::StoreConfig>& stores, const outlook::FolderPtr& folder);

} // namespace kvn::host
