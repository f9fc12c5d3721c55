// The heading row of the checkbox list: a column may carry a checkbox, shown
// as the heading's picture before its text, either as the style draws a box
// or from a strip of pictures.
#pragma once

#include <QHeaderView>
#include <QList>
#include <QPixmap>
#include <vector>

namespace kvn::ui {

// The state of a header checkbox. The numbers are the ones the list reports
// and the offsets into the picture strip: picture (column - 1) * 3 + state.
enum HeaderCheckbox : int { NoHeaderBox = 0, ClearHeaderBox = 1, TickedHeaderBox = 2 };

class CheckboxListHeader final : public QHeaderView {
    Q_OBJECT

public:
    explicit CheckboxListHeader(QWidget* parent = nullptr);

    // NoHeaderBox for a column without a box or out of range.
    int checkboxState(int column) const;
    // Out-of-range columns and states are ignored.
    void setCheckboxState(int column, int state);

    // Pictures drawn in place of the style's boxes: three per column from
    // column 1 on (no box, clear box, ticked box). An empty strip, or a
    // picture index past its end, falls back to the style's box.
    void setPictureStrip(const QList<QPixmap>& pictures);

protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;

private:
    QPixmap pictureFor(int column, int state) const;
    QPixmap styleBox(int state) const;

    std::vector<int> states_;
    QList<QPixmap> pictures_;
};

} // namespace kvn::ui
