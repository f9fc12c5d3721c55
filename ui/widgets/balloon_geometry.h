// The balloon's geometry, apart from the window so that it can be reasoned
// about on its own: the size of its content (icon, bold title, close button,
// wrapped text) and its outline, a rounded body with a pointer whose tip
// touches the anchor, placed inside the work area of the anchor's screen.
//
// The window is the content plus an 8-pixel margin on every side and a
// 20-pixel band for the pointer: (content width + 16) x (content height + 36).
// The pointer sits on top when the anchor is in the upper half of the work
// area and at the bottom otherwise; towards the right end of the window when
// the anchor is in the right half and towards the left end otherwise.
#pragma once

#include <QFontMetrics>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <climits>

namespace kvn::ui {

// Where the pieces of the content go, relative to the content's top left.
// A piece that is absent has an empty rectangle.
struct BalloonLayout {
    QRect icon;
    QRect title;
    QRect closeButton;
    QRect text;
    // The title as drawn: elided when the line would not fit on the screen.
    QString shownTitle;
    QSize content;
    // How the text is drawn in its rectangle (Qt::AlignmentFlag | Qt::TextFlag).
    int textFlags = 0;

    QSize windowSize() const { return content + QSize(16, 36); }
};

// The text as it is drawn: "\r\n" and a lone "\r" become line breaks.
QString balloonDisplayText(const QString& text);

// Lays out the title line (icon, 8 pixels, title on one line, then 8 pixels
// and the close button) above 8 pixels and the text wrapped at `wrapWidth`
// with tabs expanded (a word longer than the width is broken where it must).
// An empty `iconSize` or `closeButtonSize` leaves the
// piece out. A title line wider than `maxWidth` has its title elided.
BalloonLayout layOutBalloon(const QFontMetrics& titleFont, const QFontMetrics& textFont, const QString& title,
    const QString& text, QSize iconSize, QSize closeButtonSize, int wrapWidth, int maxWidth = INT_MAX);

struct BalloonShape {
    bool pointerOnTop = true;
    // Window coordinates.
    QPoint tip;
    int baseLeft = 0;
    int baseRight = 0;
    int baseY = 0;
    QRect body;
    // The window's position on the screen.
    QPoint topLeft;

    QPolygon pointer() const;
    // The window's outline: the pointer joined to the body with its corners
    // rounded by 24 x 24 ellipses.
    QRegion region() const;
};

// The outline and position of a window of `size` whose pointer tips at
// `anchor` (screen coordinates), kept sideways inside `workArea` (the tip
// moving back so that it still points at the anchor) and with its top at
// most 20 pixels above and its bottom at most 20 pixels below the work area.
// Every x of the pointer stays between 8 and width - 8.
BalloonShape placeBalloon(QSize size, QPoint anchor, const QRect& workArea);

} // namespace kvn::ui
