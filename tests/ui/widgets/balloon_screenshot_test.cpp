// A balloon on a real X screen: shown over a window, grabbed from the screen,
// saved where KVN_SCREENSHOT says, and checked for its outline and colours.
#include "platform/core/ui.h"
#include "ui/widgets/balloon.h"
#include "ui/widgets/balloon_options.h"
#include "ui/widgets/checkbox_list.h"

#include <QFileInfo>
#include <QHeaderView>

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

// The quarantine window's kind of list, saved beside the balloon: heading
// boxes before their texts, centred cell boxes.
TEST(CheckboxListScreenshot, ShowsHeadingBoxesBeforeTheirTexts)
{
    if (QGuiApplication::platformName() == "offscreen")
        GTEST_SKIP() << "needs a real screen (run through xvfb-run)";
    CheckboxList list;
    list.setColumns({"", "Trust", "Block", "Subject"});
    list.setColumnWidth(0, 0);
    for (int column : {1, 2}) {
        list.setColumnWidth(column, 70);
        list.setColumnAlignment(column, Qt::AlignCenter);
    }
    for (int line = 0; line < 3; ++line) {
        list.insertLine(line);
        list.setCellCheckbox(line, 1, line == 0 ? TickedCellBox : ClearCellBox);
        list.setCellCheckbox(line, 2, ClearCellBox);
        list.setCellText(line, 3, QString("Subject %1").arg(line));
    }
    list.setHeaderCheckbox(1, ClearHeaderBox);
    list.setHeaderCheckbox(2, ClearHeaderBox);
    list.setColumnCheckboxes(2, TickedCellBox);
    list.resize(400, 140);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QImage shot = list.grab().toImage();
    QString path = QFileInfo(qEnvironmentVariable("KVN_SCREENSHOT", "balloon.png")).dir().filePath("checkbox_list.png");
    ASSERT_TRUE(shot.save(path)) << path.toStdString();

    QHeaderView* header = list.header();
    QRect heading(header->sectionViewportPosition(1), 0, header->sectionSize(1), header->height());
    heading.translate(header->geometry().topLeft());
    QRgb plain = shot.pixel(heading.right() - 2, heading.center().y());
    int boxInk = 0;
    for (int x = heading.left() + 2; x < heading.left() + 20; ++x)
        boxInk += shot.pixel(x, heading.center().y()) != plain;
    EXPECT_GT(boxInk, 2) << "the heading's box is drawn at its left";
}

} // namespace
} // namespace kvn::ui
