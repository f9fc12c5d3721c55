// Folders of a Maildir++ store: the top folder, mail folders (the root is the
// Inbox, ".A.B" is B inside A) and the Contacts folder, and their collections.
#include "platform/outlook/maildir_internal.h"

#include "platform/outlook/maildir_deliver.h"
#include "platform/outlook/maildir_names.h"

namespace kvn::outlook {
namespace {

constexpr const char* inboxName = "Inbox";
constexpr const char* contactsName = "Contacts";

class FolderList final : public Folders {
public:
    explicit FolderList(std::vector<FolderPtr> folders) : folders_(std::move(folders)) { }
    std::size_t count() override { return folders_.size(); }
    FolderPtr getFirst() override
    {
        next_ = 0;
        return getNext();
    }
    FolderPtr getNext() override { return next_ < folders_.size() ? folders_[next_++] : nullptr; }
    FolderPtr item(std::string_view name) override
    {
        for (const auto& folder : folders_) {
            if (folder->name() == name)
                return folder;
        }
        return nullptr;
    }
    FolderPtr add(std::string_view, int) override { return nullptr; }

private:
    std::vector<FolderPtr> folders_;
    std::size_t next_ = 0;
};

// The sub-folders of a top or mail folder, listed when the collection is made.
class SubFolders final : public Folders {
public:
    explicit SubFolders(MaildirFolderPtr parent) : parent_(std::move(parent)), list_(listChildren()) { }
    std::size_t count() override { return list_.count(); }
    FolderPtr getFirst() override { return list_.getFirst(); }
    FolderPtr getNext() override { return list_.getNext(); }
    FolderPtr item(std::string_view name) override { return list_.item(name); }

    FolderPtr add(std::string_view name, int type) override
    {
        if (name.empty() || type != olFolderInbox || parent_->kind() == FolderKind::Contacts || list_.item(name))
            return nullptr;
        if (parent_->kind() == FolderKind::Mail && parent_->path().empty())
            return nullptr; // the Inbox is the root and holds no sub-folders in Maildir++
        auto path = parent_->path();
        path.emplace_back(name);
        if (!parent_->store()->ensureMaildir(path))
            return nullptr;
        list_ = FolderList(listChildren());
        return makeFolder(parent_->store(), FolderKind::Mail, std::move(path));
    }

private:
    std::vector<FolderPtr> listChildren() const
    {
        std::vector<FolderPtr> children;
        const auto& store = parent_->store();
        bool isTop = parent_->kind() == FolderKind::Top;
        if (isTop)
            children.push_back(makeFolder(store, FolderKind::Mail));
        bool isInbox = parent_->kind() == FolderKind::Mail && parent_->path().empty();
        if (parent_->kind() != FolderKind::Contacts && !isInbox) {
            for (auto& name : store->childNames(parent_->path())) {
                auto path = parent_->path();
                path.push_back(std::move(name));
                children.push_back(makeFolder(store, FolderKind::Mail, std::move(path)));
            }
        }
        if (isTop)
            children.push_back(makeFolder(store, FolderKind::Contacts));
        return children;
    }

    MaildirFolderPtr parent_;
    FolderList list_;
};

} // namespace

bool MaildirFolder::ensureMaildir()
{
    if (maildirKnown_)
        return true;
    const bool made = store_->ensureMaildir(path_);
    maildirKnown_ = made;
    return made;
}

MaildirFolderPtr makeFolder(const StorePtr& store, FolderKind kind, std::vector<std::string> path)
{
    return std::make_shared<MaildirFolder>(store, kind, std::move(path));
}

FoldersPtr makeFolderList(std::vector<FolderPtr> folders) { return std::make_shared<FolderList>(std::move(folders)); }

FoldersPtr makeSubFolders(const MaildirFolderPtr& parent) { return std::make_shared<SubFolders>(parent); }

std::string MaildirFolder::name()
{
    switch (kind_) {
    case FolderKind::Top:
        return store_->config().displayName;
    case FolderKind::Contacts:
        return contactsName;
    case FolderKind::Mail:
        return path_.empty() ? inboxName : path_.back();
    }
    return {};
}

FolderPtr MaildirFolder::parent()
{
    if (kind_ == FolderKind::Top)
        return nullptr;
    if (kind_ == FolderKind::Contacts || path_.size() <= 1)
        return makeFolder(store_, FolderKind::Top);
    return makeFolder(store_, FolderKind::Mail, {path_.begin(), path_.end() - 1});
}

FoldersPtr MaildirFolder::folders() { return makeSubFolders(shared_from_this()); }

ItemsPtr MaildirFolder::items()
{
    switch (kind_) {
    case FolderKind::Top:
        return makeEmptyItems();
    case FolderKind::Contacts:
        return makeContactItems(shared_from_this());
    case FolderKind::Mail:
        // A folder shown only because it holds sub-folders (".A.B" without
        // ".A") has no directory and no items.
        if (!path_.empty() && !fileMtime(directory()))
            return makeEmptyItems();
        return makeMailItems(shared_from_this());
    }
    return nullptr;
}

std::optional<int> MaildirFolder::defaultItemType()
{
    return kind_ == FolderKind::Contacts ? olContactItem : olMailItem;
}

std::string MaildirFolder::entryId()
{
    std::string id = "store" + std::to_string(store_->index());
    switch (kind_) {
    case FolderKind::Top:
        return id + ":top";
    case FolderKind::Contacts:
        return id + ":contacts";
    case FolderKind::Mail:
        return id + ":mail:" + folderDirectoryName(path_);
    }
    return {};
}

std::shared_ptr<MailItem> MaildirFolder::fileMessage(std::string_view message, bool read)
{
    if (kind_ != FolderKind::Mail || !store_->ensureMaildir(path_))
        return nullptr;
    std::optional<MessageFile> file = deliverMessage(directory(), message, read);
    return file ? makeStoredMailItem(shared_from_this(), std::move(*file)) : nullptr;
}

} // namespace kvn::outlook
