#include "ui/widgets/sortable_list.h"

#include "ui/widgets/row_list_view.h"

#include "ui/widgets/list_text_order.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <algorithm>

namespace kvn::ui {

namespace {

const QString kKindHeading = QStringLiteral("Type");

struct ColumnSpec {
    QString name;
    int width = 0;
};

QList<ColumnSpec> parseColumns(const QString& columnText)
{
    QList<ColumnSpec> columns;
    for (const QString& pair : columnText.split(u';', Qt::SkipEmptyParts)) {
        qsizetype comma = pair.indexOf(u',');
        ColumnSpec spec;
        spec.name = comma < 0 ? pair : pair.left(comma);
        if (comma >= 0)
            spec.width = std::max(0, pair.mid(comma + 1).trimmed().toInt());
        columns.append(spec);
    }
    return columns;
}

QStandardItem* textItem(const QString& text)
{
    auto* item = new QStandardItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

SortableList::SortableList(QWidget* parent) : QTreeView(parent), model_(new QStandardItemModel(this))
{
    setModel(model_);
    setUpRowList(*this, QAbstractItemView::ExtendedSelection);
    header()->setStretchLastSection(false);
    // The column text's widths are taken as given, however narrow.
    header()->setMinimumSectionSize(0);
    connect(header(), &QHeaderView::sectionClicked, this, &SortableList::onHeadingClicked);
}

void SortableList::setColumns(const QString& columnText)
{
    model_->clear();
    sortColumn_ = -1;
    QList<ColumnSpec> columns = parseColumns(columnText);
    QStringList headings;
    for (const ColumnSpec& column : columns)
        headings.append(column.name);
    headings.append(kKindHeading);
    model_->setHorizontalHeaderLabels(headings);
    for (int column = 0; column < columns.size(); ++column)
        setColumnWidth(column, columns[column].width);
    setColumnHidden(kindColumn(), true);
    header()->setSectionsClickable(true);
}

int SortableList::columnCount() const { return model_->columnCount(); }

int SortableList::lineCount() const { return model_->rowCount(); }

void SortableList::setStatePictures(const QList<QPixmap>& strip)
{
    statePictures_ = strip;
    for (int line = 0; line < lineCount(); ++line) {
        int picture = lineKind(line) - 1;
        bool shown = picture > 0 && picture < statePictures_.size();
        model_->item(line, 0)->setData(shown ? QVariant(statePictures_[picture]) : QVariant(), Qt::DecorationRole);
    }
}

int SortableList::addLine(int kind, const QStringList& texts)
{
    if (columnCount() == 0)
        return -1;
    QList<QStandardItem*> items;
    for (int column = 0; column < columnCount(); ++column) {
        if (column == kindColumn())
            items.append(textItem(QString::number(kind)));
        else if (column == 0 || column > texts.size())
            items.append(textItem(QString()));
        else
            items.append(textItem(texts[column - 1]));
    }
    int picture = kind - 1;
    if (picture > 0 && picture < statePictures_.size())
        items[0]->setData(statePictures_[picture], Qt::DecorationRole);
    model_->appendRow(items);
    return lineCount() - 1;
}

void SortableList::deleteAllLines() { model_->removeRows(0, model_->rowCount()); }

QString SortableList::cellText(int line, int column) const
{
    auto* item = model_->item(line, column);
    return item ? item->text() : QString();
}

int SortableList::lineKind(int line) const
{
    if (line < 0 || line >= lineCount())
        return -1;
    return cellText(line, kindColumn()).toInt();
}

QList<int> SortableList::selectedLines() const
{
    QList<int> lines;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        lines.append(index.row());
    std::sort(lines.begin(), lines.end());
    return lines;
}

void SortableList::onHeadingClicked(int column)
{
    bool ascending = column == sortColumn_ ? !sortAscending_ : true;
    sortLines(column, ascending);
}

void SortableList::sortLines(int column, bool ascending)
{
    if (column < 0 || column >= columnCount())
        return;
    sortColumn_ = column;
    sortAscending_ = ascending;
    int byColumn = column == 0 ? kindColumn() : column;
    QList<QList<QStandardItem*>> lines;
    while (model_->rowCount() > 0)
        lines.append(model_->takeRow(0));
    std::stable_sort(lines.begin(), lines.end(), [&](const auto& a, const auto& b) {
        const QString& first = ascending ? a[byColumn]->text() : b[byColumn]->text();
        const QString& second = ascending ? b[byColumn]->text() : a[byColumn]->text();
        return compareListTexts(first, second) < 0;
    });
    for (auto& line : lines)
        model_->appendRow(line);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

} // namespace kvn::ui
