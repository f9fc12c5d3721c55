#include "ui/widgets/balloon_geometry.h"

#include <QApplication>
#include <algorithm>
#include <gtest/gtest.h>

namespace kvn::ui {
namespace {

const QRect kWorkArea(0, 0, 1280, 800);
const QSize kSize(200, 100);
constexpr int kQuarter = (200 - 20) / 4;

TEST(BalloonPlacement, UpperLeftAnchorPutsThePointerOnTopTowardsTheLeft)
{
    BalloonShape shape = placeBalloon(kSize, {300, 100}, kWorkArea);
    EXPECT_TRUE(shape.pointerOnTop);
    EXPECT_EQ(shape.tip, QPoint(kQuarter, 1));
    EXPECT_EQ(shape.baseLeft, kQuarter);
    EXPECT_EQ(shape.baseRight, kQuarter + 20);
    EXPECT_EQ(shape.baseY, 21);
    EXPECT_EQ(shape.body, QRect(0, 20, 200, 80));
    EXPECT_EQ(shape.topLeft + shape.tip, QPoint(300, 100)) << "the tip touches the anchor";
}

TEST(BalloonPlacement, LowerRightAnchorPutsThePointerAtTheBottomTowardsTheRight)
{
    BalloonShape shape = placeBalloon(kSize, {900, 600}, kWorkArea);
    EXPECT_FALSE(shape.pointerOnTop);
    EXPECT_EQ(shape.tip, QPoint(3 * kQuarter + 20, 99));
    EXPECT_EQ(shape.baseLeft, 3 * kQuarter);
    EXPECT_EQ(shape.baseY, 79);
    EXPECT_EQ(shape.body, QRect(0, 0, 200, 80));
    EXPECT_EQ(shape.topLeft + shape.tip, QPoint(900, 600));
}

TEST(BalloonPlacement, ShiftsSidewaysIntoTheWorkAreaAndStillPointsAtTheAnchor)
{
    BalloonShape left = placeBalloon(kSize, {20, 100}, kWorkArea);
    EXPECT_EQ(left.topLeft.x(), 0);
    EXPECT_EQ(left.topLeft.x() + left.tip.x(), 20);

    BalloonShape right = placeBalloon(kSize, {1250, 100}, kWorkArea);
    EXPECT_EQ(right.topLeft.x() + 200, 1280);
    EXPECT_EQ(right.topLeft.x() + right.tip.x(), 1250);
    EXPECT_EQ(right.baseLeft, 3 * kQuarter) << "only the tip moves";

    // At the very edge the tip is held 8 pixels in.
    BalloonShape edge = placeBalloon(kSize, {1279, 100}, kWorkArea);
    EXPECT_EQ(edge.tip.x(), 192);
}

TEST(BalloonPlacement, StaysWithinTwentyPixelsOfTheWorkAreaVertically)
{
    QRect workArea(0, 100, 1280, 700);
    BalloonShape tall = placeBalloon({200, 2000}, {300, 120}, workArea);
    EXPECT_EQ(tall.topLeft.y(), 80) << "a balloon taller than the screen keeps its top in view";
    BalloonShape low = placeBalloon(kSize, {300, 790}, QRect(0, 0, 1280, 700));
    EXPECT_LE(low.topLeft.y() + 100, 720);
}

TEST(BalloonPlacement, TheOutlineJoinsPointerAndRoundedBody)
{
    BalloonShape shape = placeBalloon(kSize, {300, 100}, kWorkArea);
    QRegion region = shape.region();
    EXPECT_TRUE(region.contains(QPoint(shape.tip.x(), 3)));
    EXPECT_TRUE(region.contains(QPoint(100, 60)));
    EXPECT_FALSE(region.contains(QPoint(0, 20))) << "the corner is rounded off";
    EXPECT_FALSE(region.contains(QPoint(150, 5))) << "the band beside the pointer is not the window";
}

TEST(BalloonLayout, TheWindowIsTheContentWithItsMarginsAndPointerBand)
{
    QFont font = QApplication::font();
    QFont bold = font;
    bold.setBold(true);
    QFontMetrics textMetrics(font);
    BalloonLayout layout = layOutBalloon(
        QFontMetrics(bold), textMetrics, "Title", "A\tB && C\r\nsecond line", QSize(16, 16), QSize(18, 18), 400);
    EXPECT_EQ(layout.windowSize(), layout.content + QSize(16, 36));
    EXPECT_EQ(layout.icon.left(), 0);
    EXPECT_EQ(layout.title.left(), 16 + 8);
    EXPECT_EQ(layout.closeButton.right(), layout.content.width() - 1);
    int lineBottom = std::max({layout.icon.bottom(), layout.title.bottom(), layout.closeButton.bottom()});
    EXPECT_EQ(layout.text.top(), lineBottom + 1 + 8);
    BalloonLayout oneLine
        = layOutBalloon(QFontMetrics(bold), textMetrics, "Title", "A\tB && C", QSize(16, 16), QSize(18, 18), 400);
    EXPECT_GT(layout.text.height(), oneLine.text.height());
    EXPECT_LT(layout.text.height(), 3 * textMetrics.lineSpacing()) << "\\r\\n is one line break";

    // Long text wraps at the given width; no icon, no close button.
    BalloonLayout wrapped = layOutBalloon(
        QFontMetrics(bold), textMetrics, "", QString(2000, u'x').replace(9, 1, " "), QSize(), QSize(), 300);
    EXPECT_TRUE(wrapped.icon.isEmpty());
    EXPECT_TRUE(wrapped.closeButton.isEmpty());
    EXPECT_LE(wrapped.text.width(), 300) << "a word longer than a line is broken too";
    EXPECT_GT(wrapped.text.height(), 10 * textMetrics.height());
    EXPECT_EQ(balloonDisplayText("a\rb\r\nc"), "a\nb\nc");
}

} // namespace
} // namespace kvn::ui
