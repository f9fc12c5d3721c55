#include "ui/widgets/balloon_geometry.h"

#include <QPainterPath>
#include <algorithm>
#include <climits>

namespace kvn::ui {

namespace {

constexpr int kGap = 8;
constexpr int kPointerBand = 20;
constexpr int kPointerWidth = 20;
constexpr int kCornerDiameter = 24;
// The tip lies this far from the window's outer edge, the base on the body.
constexpr int kTipInset = 1;
constexpr int kBaseInset = 21;
constexpr int kEdgeOverhang = 20;

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs;

QRect measureText(const QFontMetrics& font, const QString& text, int wrapWidth, int flags)
{
    QRect bounds = font.boundingRect(QRect(0, 0, wrapWidth, INT_MAX / 4), flags, text);
    return QRect(QPoint(0, 0), bounds.size());
}

// Wraps at word boundaries; a word wider than the line (a long address, or a
// text without spaces) would make the balloon as wide as itself, so then the
// text breaks anywhere.
QRect wrapText(const QFontMetrics& font, const QString& text, int wrapWidth, int& flags)
{
    wrapWidth = std::max(1, wrapWidth);
    flags = kTextFlags | Qt::TextWordWrap;
    if (text.isEmpty())
        return {};
    QRect bounds = measureText(font, text, wrapWidth, flags);
    if (bounds.width() <= wrapWidth)
        return bounds;
    flags = kTextFlags | Qt::TextWrapAnywhere;
    return measureText(font, text, wrapWidth, flags);
}

} // namespace

QString balloonDisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

BalloonLayout layOutBalloon(const QFontMetrics& titleFont, const QFontMetrics& textFont, const QString& title,
    const QString& text, QSize iconSize, QSize closeButtonSize, int wrapWidth, int maxWidth)
{
    BalloonLayout layout;
    int lineHeight = std::max({titleFont.height(), iconSize.height(), closeButtonSize.height()});
    int x = 0;
    if (!iconSize.isEmpty()) {
        layout.icon = QRect(QPoint(0, (lineHeight - iconSize.height()) / 2), iconSize);
        x = iconSize.width() + kGap;
    }
    int closeRoom = closeButtonSize.isEmpty() ? 0 : kGap + closeButtonSize.width();
    int titleRoom = std::max(0, maxWidth - x - closeRoom);
    layout.shownTitle = titleFont.horizontalAdvance(title) <= titleRoom
        ? title
        : titleFont.elidedText(title, Qt::ElideRight, titleRoom, Qt::TextSingleLine);
    int titleWidth = titleFont.horizontalAdvance(layout.shownTitle);
    layout.title = QRect(x, (lineHeight - titleFont.height()) / 2, titleWidth, titleFont.height());
    x += titleWidth;
    if (!closeButtonSize.isEmpty()) {
        x += kGap;
        layout.closeButton = QRect(QPoint(x, (lineHeight - closeButtonSize.height()) / 2), closeButtonSize);
        x += closeButtonSize.width();
    }
    QRect textRect = wrapText(textFont, balloonDisplayText(text), wrapWidth, layout.textFlags);
    layout.text = textRect.translated(0, lineHeight + kGap);
    int width = std::max(x, textRect.width());
    layout.content = QSize(width, lineHeight + kGap + textRect.height());
    // The close button keeps to the top-right corner when the text is wider.
    if (!layout.closeButton.isEmpty())
        layout.closeButton.moveRight(width - 1);
    return layout;
}

QPolygon BalloonShape::pointer() const { return QPolygon({QPoint(baseLeft, baseY), tip, QPoint(baseRight, baseY)}); }

QRegion BalloonShape::region() const
{
    QPainterPath outline;
    outline.addRoundedRect(body, kCornerDiameter / 2.0, kCornerDiameter / 2.0);
    QRegion rounded(outline.toFillPolygon().toPolygon());
    return rounded.united(QRegion(pointer()));
}

BalloonShape placeBalloon(QSize size, QPoint anchor, const QRect& workArea)
{
    int width = size.width();
    int height = size.height();
    auto holdX = [width](int x) { return std::clamp(x, kGap, std::max(kGap, width - kGap)); };
    int quarter = (width - kPointerWidth) / 4;
    bool rightHalf = anchor.x() >= workArea.left() + workArea.width() / 2;

    BalloonShape shape;
    shape.pointerOnTop = anchor.y() < workArea.top() + workArea.height() / 2;
    int baseLeft = rightHalf ? 3 * quarter : quarter;
    int tipX = rightHalf ? 3 * quarter + kPointerWidth : quarter;
    shape.baseLeft = holdX(baseLeft);
    shape.baseRight = holdX(baseLeft + kPointerWidth);
    int tipY = shape.pointerOnTop ? kTipInset : height - kTipInset;
    shape.baseY = shape.pointerOnTop ? kBaseInset : height - kBaseInset;
    shape.body = shape.pointerOnTop ? QRect(0, kPointerBand, width, height - kPointerBand)
                                    : QRect(0, 0, width, height - kPointerBand);
    shape.tip = QPoint(holdX(tipX), tipY);

    QPoint topLeft = anchor - shape.tip;
    int shift = 0;
    if (topLeft.x() + width > workArea.right() + 1)
        shift = workArea.right() + 1 - (topLeft.x() + width);
    if (topLeft.x() + shift < workArea.left())
        shift = workArea.left() - topLeft.x();
    topLeft.rx() += shift;
    shape.tip.rx() = holdX(shape.tip.x() - shift);
    if (topLeft.y() + height > workArea.bottom() + 1 + kEdgeOverhang)
        topLeft.ry() = workArea.bottom() + 1 + kEdgeOverhang - height;
    if (topLeft.y() < workArea.top() - kEdgeOverhang)
        topLeft.ry() = workArea.top() - kEdgeOverhang;
    shape.topLeft = topLeft;
    return shape;
}

} // namespace kvn::ui
