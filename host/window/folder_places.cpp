#include "host/window/folder_places.h"

#include "platform/outlook/maildir_names.h"

#include <algorithm>

namespace kvn::host {

std::vector<std::string> folderPath(const outlook::FolderPtr& folder)
{
    std::vector<std::string> path;
    for (outlook::FolderPtr at = folder; at; at = at->parent())
        path.push_back(at->name());
    std::reverse(path.begin(), path.end());
    return path;
}

outlook::FolderPtr folderAtPath(const outlook::NamespacePtr& mapi, const std::vector<std::string>& path)
{
    if (!mapi || path.empty())
        return nullptr;
    outlook::FoldersPtr folders = mapi->folders();
    outlook::FolderPtr folder;
    for (const std::string& name : path) {
        folder = folders ? folders->item(name) : nullptr;
        if (!folder)
            return nullptr;
        folders = folder->folders();
    }
    return folder;
}

std::string folderDirectory(const std::vector<outlook::StoreConfig>& stores, const outlook::FolderPtr& folder)
{
    std::vector<std::string> path = folderPath(folder);
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
