// Opening the profile's mail store and finding folders and e-mails in it.
#include "tools/kvnctl/mail_session.h"

#include "platform/core/xdg_paths.h"
#include "platform/outlook/maildir_store.h"
#include "platform/outlook/profile_stores.h"

namespace kvn::kvnctl {
namespace {

// Splits at "/"; "\/" is a "/" inside a name and "\\" a "\". A "\" before
// anything else stands for itself. Empty parts ("a//b") are dropped.
std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t at = 0; at < path.size(); ++at) {
        const char c = path[at];
        if (c == '\\' && at + 1 < path.size() && (path[at + 1] == '/' || path[at + 1] == '\\')) {
            part += path[++at];
        } else if (c == '/') {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

std::string escapedName(const std::string& name)
{
    std::string escaped;
    for (const char c : name) {
        if (c == '/' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

outlook::FolderPtr descend(outlook::FolderPtr folder, const std::vector<std::string>& parts, std::size_t from)
{
    for (std::size_t i = from; folder && i < parts.size(); ++i) {
        auto folders = folder->folders();
        folder = folders ? folders->item(parts[i]) : nullptr;
    }
    return folder;
}

void collectMailFolders(const outlook::FolderPtr& folder, std::vector<outlook::FolderPtr>& out)
{
    auto folders = folder->folders();
    if (!folders)
        return;
    for (auto child = folders->getFirst(); child; child = folders->getNext()) {
        if (child->defaultItemType() != outlook::olMailItem)
            continue;
        out.push_back(child);
        collectMailFolders(child, out);
    }
}

} // namespace

outlook::ApplicationPtr openProfileMail(const CommandContext& context)
{
    requireReadableHive(registry::processRegistry(), registry::Hive::CurrentUser);
    auto stores = outlook::loadProfileStores(registry::processRegistry(), context.options.profile, homeFolder());
    return outlook::openMaildirApplication(std::move(stores), context.options.profile);
}

outlook::FolderPtr folderAtPath(const outlook::NamespacePtr& ns, const std::string& path)
{
    auto parts = splitPath(path);
    auto tops = ns->folders();
    if (parts.empty() || !tops || tops->count() == 0)
        return nullptr;
    if (parts.size() > 1) {
        if (auto store = tops->item(parts[0]))
            return descend(store, parts, 1);
    }
    return descend(tops->getFirst(), parts, 0);
}

std::string pathOfFolder(const outlook::FolderPtr& folder)
{
    std::string path;
    for (auto at = folder; at; at = at->parent())
        path = escapedName(at->name()) + (path.empty() ? "" : "/") + path;
    return path;
}

std::vector<outlook::FolderPtr> allMailFolders(const outlook::NamespacePtr& ns)
{
    std::vector<outlook::FolderPtr> folders;
    auto tops = ns->folders();
    for (auto top = tops ? tops->getFirst() : nullptr; top; top = tops->getNext())
        collectMailFolders(top, folders);
    return folders;
}

outlook::MailItemPtr findMailById(const outlook::NamespacePtr& ns, const std::string& entryId)
{
    for (const auto& folder : allMailFolders(ns)) {
        auto items = folder->items();
        for (auto item = items ? items->getFirst() : nullptr; item; item = items->getNext()) {
            auto mail = item->asMailItem();
            if (mail && mail->entryId() == entryId)
                return mail;
        }
    }
    return nullptr;
}

} // namespace kvn::kvnctl
