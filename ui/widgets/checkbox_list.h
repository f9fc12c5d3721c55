// The checkbox list: a report list whose cells each carry a text, text
// colours, an optional checkbox and a tooltip text, with optional checkboxes
// in the headings that follow their column. The quarantine window stands on
// it. Lines are rows of a flat Qt item model; every call is for the GUI
// thread.
//
// Signals come in this order on a heading's box: headerCheckboxClicked first,
// while the column's cells still hold their old states, then the cells are
// set. A cell's box toggled by the user sends checkboxClicked after the
// toggle. A click on a heading without a box sends columnClicked; the list
// does not sort itself, its owner decides (sortLines).
#pragma once

#include "ui/widgets/checkbox_list_header.h"

#include <QColor>
#include <QModelIndex>
#include <QString>
#include <QStringList>
#include <QTreeView>
#include <vector>

class QStandardItem;
class QStandardItemModel;

namespace kvn::ui {

// The state of a cell's checkbox.
enum CellCheckbox : int { NoCellBox = -1, ClearCellBox = 0, TickedCellBox = 1 };

class CheckboxList final : public QTreeView {
    Q_OBJECT

public:
    // Painted in the empty list, below the heading row.
    static const QString& emptyText();

    explicit CheckboxList(QWidget* parent = nullptr);

    // Replaces the columns (and empties the list) with these headings.
    void setColumns(const QStringList& headings);
    int columnCount() const;
    int lineCount() const;
    // How the column's cells align their text; a box in a centred cell
    // without text is drawn in the middle of the cell. Kept for lines added
    // later.
    void setColumnAlignment(int column, Qt::Alignment alignment);

    // Inserts an empty line before `line` (at the end when out of range) and
    // returns its position.
    int insertLine(int line);
    void deleteAllLines();

    // Cell operations ignore a line or column out of range; the getters then
    // answer an empty text, NoCellBox or an invalid colour.
    void setCellText(int line, int column, const QString& text);
    QString cellText(int line, int column) const;
    void setCellColours(int line, int column, const QColor& text, const QColor& background);
    QColor cellTextColour(int line, int column) const;
    void setCellTooltip(int line, int column, const QString& text);
    QString cellTooltip(int line, int column) const;

    // Sets a cell's box (NoCellBox removes it) and, when the column has a
    // heading box, makes that ticked exactly when every line's box in the
    // column is ticked.
    void setCellCheckbox(int line, int column, int state);
    int cellCheckbox(int line, int column) const;

    // Sets every cell of the column that has a box to `state` and the
    // column's heading box, if it has one, to clear.
    void setColumnCheckboxes(int column, int state);

    // The heading box: NoHeaderBox, ClearHeaderBox or TickedHeaderBox.
    int headerCheckbox(int column) const;
    void setHeaderCheckbox(int column, int state);
    void setHeaderPictures(const QList<QPixmap>& strip);

    // Orders the lines by the column's texts compared case-insensitively
    // (stable; descending reverses the comparison). The current line stays
    // current.
    void sortLines(int column, bool ascending);
    int sortColumn() const { return sortColumn_; }
    bool sortAscending() const { return sortAscending_; }

signals:
    void checkboxClicked(int line, int column);
    void headerCheckboxClicked(int column, int newState);
    void tooltipRequested(int line, int column);
    void columnClicked(int column);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QStandardItem* cell(int line, int column) const;
    void onSectionClicked(int column);
    void toggleByUser(const QModelIndex& index);
    void followColumn(int column);
    void setColumnCells(int column, int state);

    QStandardItemModel* model_;
    CheckboxListHeader* header_;
    QPersistentModelIndex pressed_;
    std::vector<Qt::Alignment> alignments_;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
};

} // namespace kvn::ui
