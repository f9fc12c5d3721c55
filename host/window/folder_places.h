// Where a folder of the object model is on disk: its Maildir folder, which
// the window watches (its path in the model: platform/outlook/folder_path.h).
#pragma once

#include "platform/outlook/maildir_store.h"
#include "platform/outlook/outlook.h"

#include <string>
#include <vector>

namespace kvn::host {

// The Maildir folder (holding cur/, new/, tmp/) of a mail folder: a store's
// root for its Inbox, root/.A.B for B inside A. Empty for a store's top, its
// Contacts, or a store not among `stores`.
std::string folderDirectory(const std::vector<outlook::StoreConfig>& stores, const outlook::FolderPtr& folder);

} // namespace kvn::host
