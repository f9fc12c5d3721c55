// The progress banner offscreen, with time moved on by the test: its place,
// the marquee, the blinking icon, "ShowPopup" and requests from other threads.
#include "ui/banner_window.h"

#include "lists/registry_root.h"
#include "lists/settings.h"
#include "lists/settings_table.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/manual_timers.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QScreen>
#include <QTest>

#include <thread>

namespace kvn {
namespace {

class BannerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::qtApplication();
        setRegistryRoot(productRegistryRoot(registry_.get()));
        banner_.setOptionKey("Default");
    }
    void TearDown() override { setRegistryRoot(productRegistryRoot()); }

    QString text() { return banner_.window().findChild<QLabel*>("control_228")->text(); }
    bool blueShown() { return !banner_.window().findChild<QLabel*>("control_229")->isHidden(); }
    bool yellowShown() { return !banner_.window().findChild<QLabel*>("control_230")->isHidden(); }

    QApplication& application_ = testing::qtApplication(); // before any widget
    testing::TempFolder folder_;
    std::unique_ptr<registry::Registry> registry_ = registry::openFileRegistry(folder_.path());
    testing::ManualTimers time_;
    QtBanner banner_{time_.factory()};
};

TEST_F(BannerTest, ItSitsAtTheWorkAreasBottomRightAndTakesNoInput)
{
    const QRect workArea = QGuiApplication::primaryScreen()->availableGeometry();
    BannerWindow& window = banner_.window();
    EXPECT_EQ(window.size(), QSize(375, 55));
    EXPECT_EQ(window.pos(), QPoint(workArea.x() + workArea.width() - 375, workArea.y() + workArea.height() - 75));
    EXPECT_TRUE(window.windowTitle().isEmpty());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowTransparentForInput);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(window.isHidden());
    EXPECT_FALSE(window.findChild<QLabel*>("control_229")->pixmap().isNull());
    EXPECT_FALSE(window.findChild<QLabel*>("control_230")->pixmap().isNull());
    EXPECT_EQ(
        window.findChild<QLabel*>("control_229")->geometry(), window.findChild<QLabel*>("control_230")->geometry());
}

TEST_F(BannerTest, TheTextScrollsOneCharacterEvery150Milliseconds)
{
    banner_.SetText("abc");
    banner_.Show();
    ASSERT_TRUE(banner_.window().isVisible());
    EXPECT_EQ(text(), "abc");
    time_.advance(149);
    EXPECT_EQ(text(), "abc");
    time_.advance(1);
    EXPECT_EQ(text(), "bca");
    time_.advance(150);
    EXPECT_EQ(text(), "cab");
    time_.advance(150);
    EXPECT_EQ(text(), "abc");
}

TEST_F(BannerTest, ACharacterOutsideTheBasicPlaneMovesWhole)
{
    banner_.SetText("\xf0\x9f\x93\xa7x");
    banner_.Show();
    time_.advance(150);
    EXPECT_EQ(text().toStdString(), "x\xf0\x9f\x93\xa7");
}

TEST_F(BannerTest, TheIconBlinksEvery1500Milliseconds)
{
    banner_.Show();
    EXPECT_TRUE(blueShown());
    EXPECT_FALSE(yellowShown());
    time_.advance(1499);
    EXPECT_TRUE(blueShown());
    time_.advance(1);
    EXPECT_FALSE(blueShown());
    EXPECT_TRUE(yellowShown());
    time_.advance(1500);
    EXPECT_TRUE(blueShown());
    EXPECT_FALSE(yellowShown());
}

TEST_F(BannerTest, HidingStopsTheTimers)
{
    banner_.SetText("abc");
    banner_.Show();
    banner_.Hide();
    EXPECT_TRUE(banner_.window().isHidden());
    time_.advance(3000);
    EXPECT_EQ(text(), "abc");
    EXPECT_TRUE(blueShown());
    // Shown again, the timers count from the new start.
    banner_.Show();
    time_.advance(150);
    EXPECT_EQ(text(), "bca");
}

TEST_F(BannerTest, WhileShowPopupIsZeroItNeverAppears)
{
    ASSERT_TRUE(writeDword("Default", setting::ShowPopup, 0));
    banner_.SetText("abc");
    banner_.Show();
    banner_.Show();
    EXPECT_TRUE(banner_.window().isHidden());
    EXPECT_FALSE(banner_.visible());
    time_.advance(1500);
    EXPECT_EQ(text(), "abc");
    // Read afresh: turned on again, the next Show shows it.
    ASSERT_TRUE(writeDword("Default", setting::ShowPopup, 1));
    banner_.Show();
    EXPECT_TRUE(banner_.window().isVisible());
}

TEST_F(BannerTest, RequestsFromAWorkerReachTheWindowInTheirOrder)
{
    std::thread worker([this] {
        banner_.SetText("first");
        banner_.Show();
        banner_.SetText("second");
        banner_.Hide();
        banner_.Show();
    });
    worker.join();
    // Nothing changed on screen until the GUI thread's event loop ran.
    EXPECT_TRUE(banner_.window().isHidden());
    QCoreApplication::processEvents();
    EXPECT_TRUE(banner_.window().isVisible());
    EXPECT_EQ(text(), "second");

    std::thread hider([this] { banner_.Hide(); });
    hider.join();
    QCoreApplication::processEvents();
    EXPECT_TRUE(banner_.window().isHidden());
}

TEST_F(BannerTest, AQueuedRequestGoesWithTheBanner)
{
    auto banner = std::make_unique<QtBanner>(time_.factory());
    std::thread worker([&banner] { banner->Show(); });
    worker.join();
    banner.reset();
    QCoreApplication::processEvents(); // must not reach the destroyed banner
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_TRUE(dynamic_cast<BannerWindow*>(window) == nullptr || window == &banner_.window());
}

} // namespace
} // namespace kvn
