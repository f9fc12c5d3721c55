// The folder tree: every store's top folder with its folders below, each
// mail folder with its unread count ("Inbox (3)", bold while it has unread
// mail). GUI thread only.
#pragma once

#include "platform/outlook/outlook.h"

#include <QTreeWidget>

#include <string>
#include <vector>

namespace kvn::host {

class FolderTree final : public QTreeWidget {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent = nullptr);

    // Lists the folders of every store again.
    void load(const outlook::NamespacePtr& mapi);
    // Counts the folder's unread mail again (by EntryID).
    void refreshCount(const std::string& entryId);
    void refreshAllCounts();
    // Marks the folder's row current without emitting folderClicked.
    void showCurrent(const outlook::FolderPtr& folder);

    const std::vector<outlook::FolderPtr>& folders() const { return folders_; }
    // The unread count shown for the folder; -1 when it is not listed.
    int unreadShown(const std::string& entryId) const;
    QTreeWidgetItem* rowOf(const std::string& entryId) const;

signals:
    // The person chose this folder.
    void folderClicked(outlook::FolderPtr folder);

private:
    void addFolder(QTreeWidgetItem* parent, const outlook::FolderPtr& folder, int depth);
    void drawCount(QTreeWidgetItem* row);

    std::vector<outlook::FolderPtr> folders_;
    bool drawing_ = false;
};

} // namespace kvn::host
