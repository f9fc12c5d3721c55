// A balloon on a real X screen: shown over a window, grabbed from the screen,
// saved where KVN_SCREENSHOT says, and checked for its outline and colours.
#include "platform/core/ui.h"
#include "ui/widgets/balloon.h"
#include "ui/widgets/balloon_options.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

namespace kvn::ui {
namespace {

using namespace balloon;

TEST(BalloonScreenshot, ShowsItsOutlineTitleAndTextOnTheScreen)
{
    if (QGuiApplication::platformName() == "offscreen")
        GTEST_SKIP() << "needs a real screen (run through xvfb-run)";
    QWidget window;
    window.setStyleSheet("background: rgb(40, 90, 160);");
    window.setGeometry(100, 100, 700, 450);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    BalloonServices services;
    services.pointerPosition = [] { return QPoint(0, 0); };
    QPointer<Balloon> balloon = LaunchBalloon("Use Auto-clean",
        "\tLet KVN automatically delete quarantined e-mails older then a custom number of days", {200, 120},
        balloonIcon(MessageIcon::Information), ShowCloseButton | ShowWithoutFading, &window, {}, 0, services);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(balloon));
    QCoreApplication::processEvents();
    QTest::qWait(200);

    QRect frame(balloon->pos(), balloon->size());
    QImage shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).toImage();
    ASSERT_FALSE(shot.isNull());
    QString path = qEnvironmentVariable("KVN_SCREENSHOT", "balloon.png");
    ASSERT_TRUE(shot.save(path)) << path.toStdString();

    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 20) << "an icon, a title and a text, not a blank rectangle";
    const BalloonShape& shape = balloon->shape();
    QColor background = balloon->palette().color(QPalette::ToolTipBase);
    EXPECT_EQ(shot.pixelColor(shape.body.left() + 4, shape.body.center().y()), background);
    EXPECT_EQ(shot.pixelColor(shape.body.topLeft()), QColor(40, 90, 160)) << "the corner is cut away";
    int bandY = shape.pointerOnTop ? 3 : frame.height() - 3;
    EXPECT_EQ(shot.pixelColor(frame.width() - 10, bandY), QColor(40, 90, 160)) << "beside the pointer";
    EXPECT_NE(
        shot.pixelColor(shape.tip.x(), shape.pointerOnTop ? shape.tip.y() + 6 : shape.tip.y() - 6), QColor(40, 90, 160))
        << "the pointer";
}

} // namespace
} // namespace kvn::ui
