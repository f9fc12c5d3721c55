// The explorer window as the object model shows it: its panes, and the
// Outlook bar's groups of shortcuts to folders. The host keeps the groups
// per profile (outlook_bar_store.h) and draws what is stored. Like the rest
// of the object model, a call that fails answers empty (nullptr, 0, false).
#pragma once

#include "platform/outlook/outlook_command_bars.h"
#include "platform/outlook/outlook_folder.h"
#include "platform/outlook/outlook_items.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace kvn::outlook {

class OutlookBarShortcut {
public:
    virtual ~OutlookBarShortcut() = default;
    virtual std::string name() = 0;
    // The folder it opens; nullptr when that folder no longer exists.
    virtual FolderPtr target() = 0;
};
using OutlookBarShortcutPtr = std::shared_ptr<OutlookBarShortcut>;

class OutlookBarShortcuts {
public:
    virtual ~OutlookBarShortcuts() = default;
    virtual std::size_t count() = 0;
    // Counted from 1; nullptr outside 1..count().
    virtual OutlookBarShortcutPtr item(std::size_t index) = 0;
    // Inserts a shortcut to the folder so that it becomes number `index`
    // (an index past the end appends it) and stores the group at once.
    // nullptr when there is no folder or no name, or the group cannot be stored.
    virtual OutlookBarShortcutPtr add(const FolderPtr& target, std::string_view name, std::size_t index) = 0;
};

class OutlookBarGroup {
public:
    virtual ~OutlookBarGroup() = default;
    virtual std::string name() = 0;
    virtual std::shared_ptr<OutlookBarShortcuts> shortcuts() = 0;
};

class OutlookBarGroups {
public:
    virtual ~OutlookBarGroups() = default;
    virtual std::size_t count() = 0;
    // Counted from 1; nullptr outside 1..count().
    virtual std::shared_ptr<OutlookBarGroup> item(std::size_t index) = 0;
};

// What the Outlook bar pane shows.
class OutlookBarStorage {
public:
    virtual ~OutlookBarStorage() = default;
    virtual std::shared_ptr<OutlookBarGroups> groups() = 0;
};

class OutlookBarPane;

class Pane {
public:
    virtual ~Pane() = default;
    virtual std::string name() = 0;
    // nullptr when the pane is not the Outlook bar.
    virtual std::shared_ptr<OutlookBarPane> asOutlookBarPane() = 0;
};

class OutlookBarPane : public Pane {
public:
    virtual std::shared_ptr<OutlookBarStorage> contents() = 0;
};

// The name of the Outlook bar pane.
inline constexpr std::string_view outlookBarPaneName = "OutlookBar";

class Panes {
public:
    virtual ~Panes() = default;
    virtual std::size_t count() = 0;
    // The pane of that name (letter case counts); nullptr when none.
    virtual std::shared_ptr<Pane> item(std::string_view name) = 0;
};

// The e-mails selected in the explorer's list, in list order.
class Selection {
public:
    virtual ~Selection() = default;
    virtual std::size_t count() = 0;
    // Counted from 1; nullptr outside 1..count().
    virtual ItemPtr item(std::size_t index) = 0;
};

// Panes ShowPane knows.
constexpr int olOutlookBar = 1;
constexpr int olFolderList = 2;
constexpr int olPreview = 3;

// The explorer's events: FolderSwitch (no arguments), raised after
// CurrentFolder changed to another folder.
inline constexpr com::Guid explorerEventsIid = com::guidOf("{0006304F-0000-0000-C000-000000000046}");
inline constexpr com::DISPID dispidFolderSwitch = 0xF002;

// An explorer without a window (a program that only has the mail store)
// keeps the defaults: no folder shown, no selection, no command bars.
class Explorer {
public:
    virtual ~Explorer() = default;
    virtual std::shared_ptr<Panes> panes() = 0;
    // The folder shown; nullptr when none.
    virtual FolderPtr currentFolder() { return nullptr; }
    // Shows the folder; FolderSwitch is raised when it is another folder
    // than the one shown. False for no folder or when there is no view.
    virtual bool setCurrentFolder(const FolderPtr&) { return false; }
    virtual std::shared_ptr<Selection> selection() { return nullptr; }
    virtual CommandBarsPtr commandBars() { return nullptr; }
    // Shows or hides a pane (olOutlookBar, olFolderList, olPreview); false
    // for another number or when there is no view.
    virtual bool showPane(int, bool) { return false; }
    virtual bool isPaneVisible(int) { return false; }
    // The source of the explorer's events (explorerEventsIid); borrowed,
    // valid while the explorer is held; nullptr when it raises none.
    virtual com::IUnknown* eventSource() { return nullptr; }
};
using ExplorerPtr = std::shared_ptr<Explorer>;

} // namespace kvn::outlook
