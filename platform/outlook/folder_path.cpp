#include "platform/outlook/folder_path.h"

#include <algorithm>

namespace kvn::outlook {

std::vector<std::string> folderPath(const FolderPtr& folder)
{
    std::vector<std::string> path;
    for (FolderPtr at = folder; at; at = at->parent())
        path.push_back(at->name());
    std::reverse(path.begin(), path.end());
    return path;
}

FolderPtr folderAtPath(const NamespacePtr& mapi, const std::vector<std::string>& path)
{
    if (!mapi || path.empty())
        return nullptr;
    FoldersPtr folders = mapi->folders();
    FolderPtr folder;
    for (const std::string& name : path) {
        folder = folders ? folders->item(name) : nullptr;
        if (!folder)
            return nullptr;
        folders = folder->folders();
    }
    return folder;
}

} // namespace kvn::outlook
