// The sortable list: a report list whose columns come from one text of name
// and width pairs ("Type,20;Value,220;..."), followed by a hidden "Type"
// column that holds each line's kind as decimal text. A click on a heading
// sorts by that column (column 0 by the hidden kind), ascending when it is a
// new sort column and the other way round when it is the current one; texts
// compare as list_text_order.h says. The lists view stands on it. Every call
// is for the GUI thread.
#pragma once

#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QTreeView>

class QStandardItemModel;

namespace kvn::ui {

class SortableList final : public QTreeView {
    Q_OBJECT

public:
    explicit SortableList(QWidget* parent = nullptr);

    // Replaces the columns (and empties the list). Pairs are separated by
    // ";", name and width (pixels) by ","; a pair without a width, or with a
    // width that is not a number, gets width 0. The hidden "Type" column comes
    // last.
    void setColumns(const QString& columnText);
    // The visible columns plus the hidden one.
    int columnCount() const;
    int lineCount() const;
    int kindColumn() const { return columnCount() - 1; }

    // The state pictures: a line of kind k shows picture k - 1 in column 0
    // (picture 0 is "no picture"); none when out of range.
    void setStatePictures(const QList<QPixmap>& strip);

    // Adds a line at the end: column 0 empty, `texts` in columns 1 onwards
    // (extra texts dropped, missing ones empty), the kind in the hidden column.
    // Returns the line's position.
    int addLine(int kind, const QStringList& texts);
    void deleteAllLines();

    QString cellText(int line, int column) const;
    // The kind of the line; -1 out of range.
    int lineKind(int line) const;
    // Positions of the selected lines, in list order.
    QList<int> selectedLines() const;

    // Sorts as a click on the column's heading would with this direction.
    void sortLines(int column, bool ascending);
    int sortColumn() const { return sortColumn_; }
    bool sortAscending() const { return sortAscending_; }

private:
    void onHeadingClicked(int column);

    QStandardItemModel* model_;
    QList<QPixmap> statePictures_;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
};

} // namespace kvn::ui
