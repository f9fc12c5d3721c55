#include "ui/widgets/checkbox_list.h"

#include "ui/widgets/row_list_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <algorithm>

namespace kvn::ui {

namespace {

constexpr int kEmptyTextTop = 8;
// The cell's tooltip text lives in a role of its own: the owner shows it in a
// balloon when asked, Qt's own tooltip never pops up over it.
constexpr int kTooltipRole = Qt::UserRole + 1;

QList<QStandardItem*> emptyLine(int columns, const std::vector<Qt::Alignment>& alignments)
{
    QList<QStandardItem*> items;
    for (int column = 0; column < columns; ++column) {
        auto* item = new QStandardItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (column < static_cast<int>(alignments.size()))
            item->setTextAlignment(alignments[column]);
        items.append(item);
    }
    return items;
}

// Draws the box of a centred cell without text in the cell's middle; Qt's
// own delegate always puts it at the left.
class CentredBoxDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        bool centred = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHCenter;
        if (!centred || !(item.features & QStyleOptionViewItem::HasCheckIndicator) || !item.text.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        QRect box = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &item, widget);
        item.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);
        box.moveCenter(option.rect.center());
        QStyleOptionViewItem check = item;
        check.rect = box;
        check.state = check.state & ~QStyle::State_HasFocus;
        check.state |= item.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, widget);
    }
};

} // namespace

const QString& CheckboxList::emptyText()
{
    static const QString text = QStringLiteral("There are no items to show in this view.");
    return text;
}

CheckboxList::CheckboxList(QWidget* parent)
    : QTreeView(parent), model_(new QStandardItemModel(this)), header_(new CheckboxListHeader(this))
{
    setHeader(header_);
    setModel(model_);
    setUpRowList(*this, QAbstractItemView::SingleSelection);
    setItemDelegate(new CentredBoxDelegate(this));
    connect(header_, &QHeaderView::sectionClicked, this, &CheckboxList::onSectionClicked);
}

void CheckboxList::setColumns(const QStringList& headings)
{
    model_->clear();
    alignments_.clear();
    model_->setHorizontalHeaderLabels(headings);
    // Qt's tree view makes its headings unclickable whenever it gets new
    // columns and sorting is off; the heading boxes need the clicks.
    header_->setSectionsClickable(true);
}

void CheckboxList::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (column < 0 || column >= columnCount())
        return;
    if (column >= static_cast<int>(alignments_.size()))
        alignments_.resize(column + 1, Qt::AlignLeft | Qt::AlignVCenter);
    alignments_[column] = alignment;
    for (int line = 0; line < lineCount(); ++line)
        model_->item(line, column)->setTextAlignment(alignment);
}

int CheckboxList::columnCount() const { return model_->columnCount(); }

int CheckboxList::lineCount() const { return model_->rowCount(); }

int CheckboxList::insertLine(int line)
{
    if (line < 0 || line > lineCount())
        line = lineCount();
    model_->insertRow(line, emptyLine(columnCount(), alignments_));
    viewport()->update();
    return line;
}

void CheckboxList::deleteAllLines()
{
    model_->removeRows(0, model_->rowCount());
    viewport()->update();
}

QStandardItem* CheckboxList::cell(int line, int column) const
{
    if (line < 0 || line >= lineCount() || column < 0 || column >= columnCount())
        return nullptr;
    return model_->item(line, column);
}

void CheckboxList::setCellText(int line, int column, const QString& text)
{
    if (auto* item = cell(line, column))
        item->setText(text);
}

QString CheckboxList::cellText(int line, int column) const
{
    auto* item = cell(line, column);
    return item ? item->text() : QString();
}

void CheckboxList::setCellColours(int line, int column, const QColor& text, const QColor& background)
{
    auto* item = cell(line, column);
    if (!item)
        return;
    item->setForeground(text);
    item->setBackground(background);
}

QColor CheckboxList::cellTextColour(int line, int column) const
{
    auto* item = cell(line, column);
    return item ? item->foreground().color() : QColor();
}

void CheckboxList::setCellTooltip(int line, int column, const QString& text)
{
    if (auto* item = cell(line, column))
        item->setData(text, kTooltipRole);
}

QString CheckboxList::cellTooltip(int line, int column) const
{
    auto* item = cell(line, column);
    return item ? item->data(kTooltipRole).toString() : QString();
}

void CheckboxList::setCellCheckbox(int line, int column, int state)
{
    auto* item = cell(line, column);
    if (!item)
        return;
    if (state == NoCellBox)
        item->setData(QVariant(), Qt::CheckStateRole);
    else
        item->setCheckState(state == TickedCellBox ? Qt::Checked : Qt::Unchecked);
    followColumn(column);
}

int CheckboxList::cellCheckbox(int line, int column) const
{
    auto* item = cell(line, column);
    if (!item || !item->data(Qt::CheckStateRole).isValid())
        return NoCellBox;
    return item->checkState() == Qt::Checked ? TickedCellBox : ClearCellBox;
}

void CheckboxList::followColumn(int column)
{
    if (headerCheckbox(column) == NoHeaderBox)
        return;
    bool allTicked = true;
    for (int line = 0; line < lineCount() && allTicked; ++line)
        allTicked = cellCheckbox(line, column) == TickedCellBox;
    setHeaderCheckbox(column, allTicked ? TickedHeaderBox : ClearHeaderBox);
}

void CheckboxList::setColumnCells(int column, int state)
{
    for (int line = 0; line < lineCount(); ++line) {
        auto* item = cell(line, column);
        if (item && item->data(Qt::CheckStateRole).isValid())
            item->setCheckState(state == TickedCellBox ? Qt::Checked : Qt::Unchecked);
    }
}

void CheckboxList::setColumnCheckboxes(int column, int state)
{
    if (headerCheckbox(column) != NoHeaderBox)
        setHeaderCheckbox(column, ClearHeaderBox);
    setColumnCells(column, state);
}

int CheckboxList::headerCheckbox(int column) const
{
    if (column >= columnCount())
        return NoHeaderBox;
    return header_->checkboxState(column);
}

void CheckboxList::setHeaderCheckbox(int column, int state)
{
    if (column < columnCount())
        header_->setCheckboxState(column, state);
}

void CheckboxList::setHeaderPictures(const QList<QPixmap>& strip) { header_->setPictureStrip(strip); }

void CheckboxList::onSectionClicked(int column)
{
    int old = headerCheckbox(column);
    if (old == NoHeaderBox) {
        emit columnClicked(column);
        return;
    }
    int newState = old == ClearHeaderBox ? TickedHeaderBox : ClearHeaderBox;
    setHeaderCheckbox(column, newState);
    emit headerCheckboxClicked(column, newState);
    setColumnCells(column, newState == TickedHeaderBox ? TickedCellBox : ClearCellBox);
}

void CheckboxList::toggleByUser(const QModelIndex& index)
{
    int line = index.row();
    int column = index.column();
    int state = cellCheckbox(line, column);
    if (state == NoCellBox)
        return;
    setCellCheckbox(line, column, state == TickedCellBox ? ClearCellBox : TickedCellBox);
    emit checkboxClicked(line, column);
}

void CheckboxList::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()) : QModelIndex();
    QTreeView::mousePressEvent(event);
}

void CheckboxList::mouseReleaseEvent(QMouseEvent* event)
{
    QModelIndex released = indexAt(event->position().toPoint());
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && released.isValid() && released == pressed_)
        toggleByUser(released);
    pressed_ = QModelIndex();
}

void CheckboxList::keyPressEvent(QKeyEvent* event)
{
    // Space toggles the first box of the current line, as a click on it would.
    if (event->key() == Qt::Key_Space && currentIndex().isValid()) {
        int line = currentIndex().row();
        for (int column = 0; column < columnCount(); ++column) {
            if (cellCheckbox(line, column) != NoCellBox) {
                toggleByUser(model_->index(line, column));
                return;
            }
        }
    }
    QTreeView::keyPressEvent(event);
}

bool CheckboxList::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTreeView::viewportEvent(event);
    QModelIndex index = indexAt(static_cast<QHelpEvent*>(event)->pos());
    if (index.isValid())
        emit tooltipRequested(index.row(), index.column());
    return true;
}

void CheckboxList::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    if (lineCount() > 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::WindowText));
    QRect area = viewport()->rect().adjusted(0, kEmptyTextTop, 0, 0);
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, emptyText());
}

void CheckboxList::sortLines(int column, bool ascending)
{
    if (column < 0 || column >= columnCount())
        return;
    sortColumn_ = column;
    sortAscending_ = ascending;
    QStandardItem* current = model_->itemFromIndex(currentIndex().siblingAtColumn(0));
    QList<QList<QStandardItem*>> lines;
    while (model_->rowCount() > 0)
        lines.append(model_->takeRow(0));
    std::stable_sort(lines.begin(), lines.end(), [&](const auto& a, const auto& b) {
        int order = QString::compare(a[column]->text(), b[column]->text(), Qt::CaseInsensitive);
        return ascending ? order < 0 : order > 0;
    });
    for (auto& line : lines)
        model_->appendRow(line);
    header_->setSortIndicatorShown(true);
    header_->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (current)
        setCurrentIndex(current->index());
}

} // namespace kvn::ui
