#include "ui/widgets/checkbox_list_header.h"

#include <QIcon>
#include <QPainter>
#include <QStyleOptionButton>

namespace kvn::ui {

namespace {

constexpr int kBoxSize = 16;

} // namespace

CheckboxListHeader::CheckboxListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
}

int CheckboxListHeader::checkboxState(int column) const
{
    if (column < 0 || column >= static_cast<int>(states_.size()))
        return NoHeaderBox;
    return states_[column];
}

void CheckboxListHeader::setCheckboxState(int column, int state)
{
    if (column < 0 || state < NoHeaderBox || state > TickedHeaderBox)
        return;
    if (column >= static_cast<int>(states_.size()))
        states_.resize(column + 1, NoHeaderBox);
    if (states_[column] == state)
        return;
    states_[column] = state;
    updateSection(column);
}

void CheckboxListHeader::setPictureStrip(const QList<QPixmap>& pictures)
{
    pictures_ = pictures;
    viewport()->update();
}

void CheckboxListHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const
{
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    int state = checkboxState(logicalIndex);
    if (state == NoHeaderBox)
        return;
    option->icon = QIcon(pictureFor(logicalIndex, state));
    option->iconAlignment = Qt::AlignLeft | Qt::AlignVCenter;
}

QPixmap CheckboxListHeader::pictureFor(int column, int state) const
{
    int picture = (column - 1) * 3 + state;
    if (picture >= 0 && picture < pictures_.size() && !pictures_[picture].isNull())
        return pictures_[picture];
    return styleBox(state);
}

QPixmap CheckboxListHeader::styleBox(int state) const
{
    QPixmap box(kBoxSize, kBoxSize);
    box.fill(Qt::transparent);
    QPainter painter(&box);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = QRect(0, 0, kBoxSize, kBoxSize);
    option.state |= state == TickedHeaderBox ? QStyle::State_On : QStyle::State_Off;
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
    return box;
}

} // namespace kvn::ui
