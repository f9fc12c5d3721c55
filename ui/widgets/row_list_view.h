// The look both list widgets share: a flat list of whole rows, read-only,
// selected by row, with clickable column headings.
#pragma once

#include <QAbstractItemView>
#include <QHeaderView>
#include <QTreeView>

namespace kvn::ui {

inline void setUpRowList(QTreeView& view, QAbstractItemView::SelectionMode selection)
{
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setAllColumnsShowFocus(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(selection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.header()->setSectionsClickable(true);
}

} // namespace kvn::ui
