// The Outlook bar: the profile's shortcut groups, one page each, with their
// shortcuts to folders. GUI thread only.
#pragma once

#include "platform/outlook/outlook.h"

#include <QToolBox>

#include <vector>

namespace kvn::host {

class OutlookBarView final : public QToolBox {
    Q_OBJECT

public:
    explicit OutlookBarView(QWidget* parent = nullptr);

    // Draws the groups of the explorer's Outlook bar pane again (none when it
    // has no such pane).
    void load(outlook::Explorer& explorer);
    // Every shortcut's name, group by group.
    QStringList shortcutNames() const;

signals:
    // The person clicked a shortcut to this folder (one that still exists).
    void folderClicked(outlook::FolderPtr folder);

private:
    std::vector<outlook::OutlookBarShortcutPtr> shortcuts_;
};

} // namespace kvn::host
