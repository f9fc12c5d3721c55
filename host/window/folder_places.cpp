#include "host/window/folder_places.h"

#include "platform/outlook/folder_path.h"
#include "platform/outlook/maildir_names.h"

#include <algorithm>

namespace kvn::host {

std::string folderDirectory(const std::vector<outlook::StoreConfig>& stores, const outlook::FolderPtr& folder)
{
    std::vector<std::string> path = outlook::folderPath(folder);
    if (path.size() < 2 || !folder->defaultItemType() || *folder->defaultItemType() != outlook::olMailItem)
        return {};
    const auto store = std::find_if(
        stores.begin(), stores.end(), [&](const outlook::StoreConfig& s) { return s.displayName == path.front(); });
    if (store == stores.end())
        return {};
    // The Inbox is the root itself; every other folder hangs below the top.
    if (path.size() == 2 && path[1] == "Inbox")
        return store->root;
    path.erase(path.begin());
    return store->root + "/" + outlook::folderDirectoryName(path);
}

} // namespace kvn::host
