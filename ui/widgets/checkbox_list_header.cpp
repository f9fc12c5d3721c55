#include "ui/widgets/checkbox_list_header.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace kvn::ui {

namespace {

constexpr int kBoxSize = 16;
constexpr int kBoxMargin = 3;

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

void CheckboxListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    int state = checkboxState(logicalIndex);
    if (state == NoHeaderBox)
        return;
    QRect box(rect.left() + kBoxMargin, rect.center().y() - kBoxSize / 2 + 1, kBoxSize, kBoxSize);
    int picture = (logicalIndex - 1) * 3 + state;
    if (picture >= 0 && picture < pictures_.size() && !pictures_[picture].isNull()) {
        painter->drawPixmap(box, pictures_[picture]);
        return;
    }
    drawStyleBox(painter, box, state);
}

void CheckboxListHeader::drawStyleBox(QPainter* painter, const QRect& box, int state) const
{
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = box;
    option.state |= state == TickedHeaderBox ? QStyle::State_On : QStyle::State_Off;
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, this);
}

} // namespace kvn::ui
