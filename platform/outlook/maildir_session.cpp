// The application and its "MAPI" namespace over the profile's Maildir++
// stores: top folders, default folders (Trash and Sent created on first use)
// and the objects created by name.
#include "platform/outlook/maildir_internal.h"

#include "platform/outlook/maildir_explorer.h"

namespace kvn::outlook {
namespace {

class CacheCleanup final : public MapiUtils {
public:
    explicit CacheCleanup(std::shared_ptr<CacheRegistry> caches) : caches_(std::move(caches)) { }
    void cleanup() override { caches_->cleanup(); }

private:
    std::shared_ptr<CacheRegistry> caches_;
};

class MaildirNamespace final : public Namespace {
public:
    explicit MaildirNamespace(std::vector<StorePtr> stores) : stores_(std::move(stores)) { }

    FoldersPtr folders() override
    {
        std::vector<FolderPtr> tops;
        for (const auto& store : stores_)
            tops.push_back(makeFolder(store, FolderKind::Top));
        return makeFolderList(std::move(tops));
    }

    FolderPtr getDefaultFolder(int which) override
    {
        if (stores_.empty())
            return nullptr;
        const StorePtr& store = stores_.front();
        switch (which) {
        case olFolderInbox:
            return makeFolder(store, FolderKind::Mail);
        case olFolderContacts:
            return makeFolder(store, FolderKind::Contacts);
        case olFolderDeletedItems:
            return createdMailFolder(store, store->config().trashFolder);
        case olFolderSentMail:
            return createdMailFolder(store, store->config().sentFolder);
        default:
            return nullptr;
        }
    }

private:
    static FolderPtr createdMailFolder(const StorePtr& store, const std::string& name)
    {
        if (name.empty() || !store->ensureMaildir({name}))
            return nullptr;
        return makeFolder(store, FolderKind::Mail, {name});
    }

    std::vector<StorePtr> stores_;
};

class MaildirApplication final : public Application {
public:
    MaildirApplication(std::vector<StoreConfig> configs, std::string profileName, registry::Registry* registry)
        : caches_(std::make_shared<CacheRegistry>()),
          profileName_(profileName.empty() ? "Default" : profileName),
          registry_(registry),
          configs_(configs)
    {
        for (auto& config : configs)
            stores_.push_back(std::make_shared<MaildirStore>(std::move(config), stores_.size(), caches_));
        for (const auto& store : stores_)
            store->finishInterruptedMoves();
    }

    NamespacePtr getNamespace(std::string_view type) override
    {
        return type == "MAPI" ? std::make_shared<MaildirNamespace>(stores_) : nullptr;
    }

    ItemPtr createItem(int type) override { return type == olMailItem ? makeNewMailItem() : nullptr; }
    std::shared_ptr<SafeMailItem> createSafeMailItem() override { return std::make_shared<SafeMailItem>(); }
    std::shared_ptr<SafeContactItem> createSafeContactItem() override { return std::make_shared<SafeContactItem>(); }
    std::shared_ptr<MapiUtils> createMapiUtils() override { return std::make_shared<CacheCleanup>(caches_); }
    std::shared_ptr<CdoSession> createCdoSession() override { return std::make_shared<CdoSession>(profileName_); }

    ExplorerPtr activeExplorer() override
    {
        if (!registry_)
            return nullptr;
        auto mapi = [stores = stores_]() -> NamespacePtr { return std::make_shared<MaildirNamespace>(stores); };
        return makeMaildirExplorer(std::move(mapi), *registry_, profileName_, configs_);
    }

private:
    std::shared_ptr<CacheRegistry> caches_;
    std::vector<StorePtr> stores_;
    std::string profileName_;
    registry::Registry* registry_;
    std::vector<StoreConfig> configs_;
};

} // namespace

ApplicationPtr openMaildirApplication(std::vector<StoreConfig> stores, std::string profileName)
{
    return std::make_shared<MaildirApplication>(std::move(stores), std::move(profileName), nullptr);
}

ApplicationPtr openMaildirApplication(
    std::vector<StoreConfig> stores, std::string profileName, registry::Registry& registry)
{
    return std::make_shared<MaildirApplication>(std::move(stores), std::move(profileName), &registry);
}

} // namespace kvn::outlook
