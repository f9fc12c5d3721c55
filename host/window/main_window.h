// The host's main window: the Outlook bar and the folder tree on the left,
// the message list of CurrentFolder and the preview pane on the right. It
// draws the host's explorer, which stays the one truth: a click sets
// CurrentFolder there (raising FolderSwitch), a change made there by an
// add-in moves the window, the list's selection is its Selection. Size,
// splitters and the last folder are remembered per profile. GUI thread only.
#pragma once

#include "host/host_application.h"
#include "platform/outlook/maildir_store.h"
#include "platform/registry/registry.h"

#include <QMainWindow>

#include <set>
#include <string>
#include <vector>

class QAction;
class QSplitter;
class QTreeView;

namespace kvn::host {

class FolderTree;
class FolderWatch;
class MessageListModel;
class OutlookBarView;
class PreviewPane;

class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    // The application, registry and stores must outlive the window. Shows the
    // folder last shown in this profile, if it is still there.
    MainWindow(HostApplication& application, registry::Registry& registry, std::vector<outlook::StoreConfig> stores,
        std::string profile);
    ~MainWindow() override;

    // Draws the explorer's state again (CurrentFolder, panes, the bar).
    void syncFromExplorer();
    // Writes the size, splitters and folder shown; false when the registry
    // cannot be written.
    bool saveSettings();

    // The File menu, where more commands go (e.g. "New" before Quit).
    QMenu* fileMenu() const { return fileMenu_; }
    QAction* quitAction() const { return quit_; }
    QAction* previewAction() const { return previewToggle_; }
    FolderTree* folderTree() const { return tree_; }
    OutlookBarView* outlookBar() const { return bar_; }
    QTreeView* messageList() const { return list_; }
    MessageListModel* messages() const { return messages_; }
    PreviewPane* preview() const { return preview_; }

signals:
    // The list was read again after its folder changed on disk.
    void listReloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildPanes();
    void restoreSettings();
    void watchFolders();
    void onFoldersChanged(const std::set<std::string>& entryIds);
    void reloadKeepingSelection();
    void onSelectionChanged();
    void openInspector(int row);

    HostApplication& application_;
    HostExplorer& explorer_;
    registry::Registry& registry_;
    std::vector<outlook::StoreConfig> stores_;
    std::string profile_;
    outlook::NamespacePtr mapi_;

    OutlookBarView* bar_ = nullptr;
    FolderTree* tree_ = nullptr;
    QTreeView* list_ = nullptr;
    MessageListModel* messages_ = nullptr;
    PreviewPane* preview_ = nullptr;
    QSplitter* outer_ = nullptr;
    QSplitter* left_ = nullptr;
    QSplitter* right_ = nullptr;
    FolderWatch* watch_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* quit_ = nullptr;
    QAction* previewToggle_ = nullptr;
    std::string previewed_;
};

} // namespace kvn::host
