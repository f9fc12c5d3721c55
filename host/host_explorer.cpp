#include "host/host_explorer.h"

namespace kvn::host {
namespace {

class ItemSelection final : public outlook::Selection {
public:
    explicit ItemSelection(std::vector<outlook::ItemPtr> items) : items_(std::move(items)) { }
    std::size_t count() override { return items_.size(); }
    outlook::ItemPtr item(std::size_t index) override
    {
        return index >= 1 && index <= items_.size() ? items_[index - 1] : nullptr;
    }

private:
    std::vector<outlook::ItemPtr> items_;
};

class ItemInspector final : public outlook::Inspector {
public:
    explicit ItemInspector(outlook::ItemPtr item) : item_(std::move(item)) { }
    outlook::ItemPtr currentItem() override { return item_; }

private:
    outlook::ItemPtr item_;
};

bool isKnownPane(int pane)
{
    return pane == outlook::olOutlookBar || pane == outlook::olFolderList || pane == outlook::olPreview;
}

bool sameFolder(const outlook::FolderPtr& a, const outlook::FolderPtr& b)
{
    if (!a || !b)
        return a == b;
    return a == b || a->entryId() == b->entryId();
}

} // namespace

HostExplorer::HostExplorer(outlook::ExplorerPtr base, outlook::CommandBarsPtr bars, outlook::FolderPtr startFolder)
    : base_(std::move(base)),
      bars_(std::move(bars)),
      current_(std::move(startFolder)),
      paneVisible_{{outlook::olOutlookBar, true}, {outlook::olFolderList, true}, {outlook::olPreview, true}},
      events_(com::makeObject<com::EventPoints>(std::vector{outlook::explorerEventsIid}))
{
}

bool HostExplorer::setCurrentFolder(const outlook::FolderPtr& folder)
{
    if (!folder)
        return false;
    if (sameFolder(folder, current_))
        return true;
    current_ = folder;
    selected_.clear();
    viewChanged();
    const com::ComPtr<com::EventPoints> events = events_;
    events->fire(outlook::explorerEventsIid, outlook::dispidFolderSwitch);
    return true;
}

std::shared_ptr<outlook::Selection> HostExplorer::selection() { return std::make_shared<ItemSelection>(selected_); }

bool HostExplorer::showPane(int pane, bool visible)
{
    if (!isKnownPane(pane))
        return false;
    paneVisible_[pane] = visible;
    viewChanged();
    return true;
}

bool HostExplorer::isPaneVisible(int pane)
{
    const auto found = paneVisible_.find(pane);
    return found != paneVisible_.end() && found->second;
}

HostInspectors::HostInspectors() : events_(com::makeObject<com::EventPoints>(std::vector{outlook::inspectorsEventsIid}))
{
}

outlook::InspectorPtr HostInspectors::item(std::size_t index)
{
    return index >= 1 && index <= open_.size() ? open_[index - 1] : nullptr;
}

outlook::InspectorPtr HostInspectors::open(outlook::ItemPtr item)
{
    auto inspector = std::make_shared<ItemInspector>(std::move(item));
    open_.push_back(inspector);
    const com::Variant arguments[] = {static_cast<std::int32_t>(open_.size())};
    const com::ComPtr<com::EventPoints> events = events_;
    events->fire(outlook::inspectorsEventsIid, outlook::dispidNewInspector, arguments);
    return inspector;
}

} // namespace kvn::host
