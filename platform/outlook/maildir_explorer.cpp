// The Outlook bar over the registry: groups and shortcuts are read afresh
// from the registry each time they are asked for, and a new shortcut is
// written at once, so that the host's window and every add-in see one bar.
#include "platform/outlook/maildir_explorer.h"

#include "platform/outlook/folder_path.h"
#include "platform/outlook/outlook_bar_store.h"

#include <algorithm>

namespace kvn::outlook {
namespace {

// What every object of one bar shares.
struct Bar {
    std::function<NamespacePtr()> mapi;
    registry::Registry* registry;
    std::string profile;
    std::vector<StoreConfig> stores;

    std::vector<OutlookBarGroupRecord> load() const { return loadOutlookBarGroups(*registry, profile, stores); }

    FolderPtr folderAt(const std::vector<std::string>& path) const { return folderAtPath(mapi(), path); }
};
using BarPtr = std::shared_ptr<const Bar>;

// The store's display name, then each folder name down to the folder.
std::vector<std::string> pathOf(const FolderPtr& folder)
{
    std::vector<std::string> path;
    for (FolderPtr at = folder; at; at = at->parent())
        path.push_back(at->name());
    std::reverse(path.begin(), path.end());
    return path;
}

class Shortcut final : public OutlookBarShortcut {
public:
    Shortcut(BarPtr bar, OutlookBarShortcutRecord record) : bar_(std::move(bar)), record_(std::move(record)) { }
    std::string name() override { return record_.name; }
    FolderPtr target() override { return bar_->folderAt(record_.target); }

private:
    BarPtr bar_;
    OutlookBarShortcutRecord record_;
};

class Shortcuts final : public OutlookBarShortcuts {
public:
    Shortcuts(BarPtr bar, std::size_t group) : bar_(std::move(bar)), group_(group) { }

    std::size_t count() override { return records().size(); }

    OutlookBarShortcutPtr item(std::size_t index) override
    {
        const auto list = records();
        if (index < 1 || index > list.size())
            return nullptr;
        return std::make_shared<Shortcut>(bar_, list[index - 1]);
    }

    OutlookBarShortcutPtr add(const FolderPtr& target, std::string_view name, std::size_t index) override
    {
        if (!target || name.empty())
            return nullptr;
        OutlookBarShortcutRecord record{std::string(name), pathOf(target)};
        std::vector<OutlookBarGroupRecord> groups = bar_->load();
        if (group_ > groups.size())
            return nullptr;
        auto& shortcuts = groups[group_ - 1].shortcuts;
        const std::size_t at = std::min(index < 1 ? 0 : index - 1, shortcuts.size());
        shortcuts.insert(shortcuts.begin() + static_cast<std::ptrdiff_t>(at), record);
        if (!saveOutlookBarGroup(*bar_->registry, bar_->profile, groups, group_))
            return nullptr;
        return std::make_shared<Shortcut>(bar_, std::move(record));
    }

private:
    std::vector<OutlookBarShortcutRecord> records() const
    {
        const auto groups = bar_->load();
        return group_ <= groups.size() ? groups[group_ - 1].shortcuts : std::vector<OutlookBarShortcutRecord>{};
    }

    BarPtr bar_;
    std::size_t group_;
};

class Group final : public OutlookBarGroup {
public:
    Group(BarPtr bar, std::size_t number, std::string name)
        : bar_(std::move(bar)), number_(number), name_(std::move(name))
    {
    }
    std::string name() override { return name_; }
    std::shared_ptr<OutlookBarShortcuts> shortcuts() override { return std::make_shared<Shortcuts>(bar_, number_); }

private:
    BarPtr bar_;
    std::size_t number_;
    std::string name_;
};

class Groups final : public OutlookBarGroups {
public:
    explicit Groups(BarPtr bar) : bar_(std::move(bar)) { }
    std::size_t count() override { return bar_->load().size(); }
    std::shared_ptr<OutlookBarGroup> item(std::size_t index) override
    {
        const auto groups = bar_->load();
        if (index < 1 || index > groups.size())
            return nullptr;
        return std::make_shared<Group>(bar_, index, groups[index - 1].name);
    }

private:
    BarPtr bar_;
};

class Storage final : public OutlookBarStorage {
public:
    explicit Storage(BarPtr bar) : bar_(std::move(bar)) { }
    std::shared_ptr<OutlookBarGroups> groups() override { return std::make_shared<Groups>(bar_); }

private:
    BarPtr bar_;
};

class BarPane final : public OutlookBarPane, public std::enable_shared_from_this<BarPane> {
public:
    explicit BarPane(BarPtr bar) : bar_(std::move(bar)) { }
    std::string name() override { return std::string(outlookBarPaneName); }
    std::shared_ptr<OutlookBarPane> asOutlookBarPane() override { return shared_from_this(); }
    std::shared_ptr<OutlookBarStorage> contents() override { return std::make_shared<Storage>(bar_); }

private:
    BarPtr bar_;
};

class ExplorerPanes final : public Panes {
public:
    explicit ExplorerPanes(BarPtr bar) : bar_(std::move(bar)) { }
    std::size_t count() override { return 1; }
    std::shared_ptr<Pane> item(std::string_view name) override
    {
        return name == outlookBarPaneName ? std::make_shared<BarPane>(bar_) : nullptr;
    }

private:
    BarPtr bar_;
};

class MaildirExplorer final : public Explorer {
public:
    explicit MaildirExplorer(BarPtr bar) : bar_(std::move(bar)) { }
    std::shared_ptr<Panes> panes() override { return std::make_shared<ExplorerPanes>(bar_); }

private:
    BarPtr bar_;
};

} // namespace

ExplorerPtr makeMaildirExplorer(std::function<NamespacePtr()> mapi, registry::Registry& registry, std::string profile,
    std::vector<StoreConfig> stores)
{
    auto bar = std::make_shared<const Bar>(Bar{std::move(mapi), &registry, std::move(profile), std::move(stores)});
    return std::make_shared<MaildirExplorer>(std::move(bar));
}

} // namespace kvn::outlook
