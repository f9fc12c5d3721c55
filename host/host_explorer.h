// The host's explorer: the folder shown, the selection, the panes, the
// command bars of the profile and FolderSwitch. Without a window it keeps
// all of that as state, which a window (when there is one) draws. Main
// thread only.
#pragma once

#include "platform/com/connection_point.h"
#include "platform/outlook/outlook.h"

#include <functional>
#include <map>
#include <vector>

namespace kvn::host {

class HostExplorer final : public outlook::Explorer {
public:
    // `base` gives the panes (the Outlook bar); `bars` the command bars;
    // `startFolder` is shown first (the default Inbox; may be null).
    HostExplorer(outlook::ExplorerPtr base, outlook::CommandBarsPtr bars, outlook::FolderPtr startFolder);

    std::shared_ptr<outlook::Panes> panes() override { return base_ ? base_->panes() : nullptr; }
    outlook::FolderPtr currentFolder() override { return current_; }
    bool setCurrentFolder(const outlook::FolderPtr& folder) override;
    std::shared_ptr<outlook::Selection> selection() override;
    outlook::CommandBarsPtr commandBars() override { return bars_; }
    bool showPane(int pane, bool visible) override;
    bool isPaneVisible(int pane) override;
    com::IUnknown* eventSource() override { return events_.get(); }

    // What a click in the list does: the selected items, in list order.
    void select(std::vector<outlook::ItemPtr> items) { selected_ = std::move(items); }

    // Called after CurrentFolder changed to another folder (before
    // FolderSwitch is raised) and after a pane was shown or hidden, so that
    // a window draws the state again; empty: nothing is called.
    void onViewChanged(std::function<void()> changed) { viewChanged_ = std::move(changed); }

private:
    void viewChanged()
    {
        if (viewChanged_)
            viewChanged_();
    }

    outlook::ExplorerPtr base_;
    outlook::CommandBarsPtr bars_;
    outlook::FolderPtr current_;
    std::vector<outlook::ItemPtr> selected_;
    std::map<int, bool> paneVisible_;
    com::ComPtr<com::EventPoints> events_;
    std::function<void()> viewChanged_;
};

// The inspectors: none opens without a window, but the collection and its
// NewInspector are there for add-ins to subscribe to.
class HostInspectors final : public outlook::Inspectors {
public:
    HostInspectors();
    std::size_t count() override { return open_.size(); }
    outlook::InspectorPtr item(std::size_t index) override;
    com::IUnknown* eventSource() override { return events_.get(); }

    // Opens an inspector on the item and raises NewInspector.
    outlook::InspectorPtr open(outlook::ItemPtr item);

private:
    std::vector<outlook::InspectorPtr> open_;
    com::ComPtr<com::EventPoints> events_;
};

} // namespace kvn::host
