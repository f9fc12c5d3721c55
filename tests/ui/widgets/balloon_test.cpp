#include "ui/widgets/balloon.h"

#include "platform/core/ui.h"
#include "tests/ui/widgets/manual_balloon_timers.h"
#include "ui/widgets/balloon_options.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace kvn::ui {
namespace {

using namespace balloon;
using Timer = BalloonTimers::Timer;
using testing::ManualBalloonTimers;

constexpr QPoint kPointer(400, 300);

class BalloonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.setGeometry(100, 100, 600, 400);
        window.show();
        services.timers = &timers;
        services.openAddress = [this](const QString& address) { opened.append(address); };
        services.pointerPosition = [] { return kPointer; };
    }

    Balloon* launch(unsigned options, int displayMilliseconds, const QString& address = {})
    {
        Balloon* balloon = LaunchBalloon("Use Auto-clean", "\tLet KVN delete old e-mails", {50, 40},
            balloonIcon(MessageIcon::Information), options, &window, address, displayMilliseconds, services);
        shown = balloon;
        return balloon;
    }

    // Lets a closing balloon finish: its fade, then its deferred deletion.
    void settle()
    {
        timers.finishFade();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    bool open()
    {
        settle();
        return shown && shown->isVisible();
    }

    void moveMouseTo(QPoint global)
    {
        QMouseEvent move(
            QEvent::MouseMove, window.mapFromGlobal(global), global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
    }

    QWidget window;
    ManualBalloonTimers timers;
    BalloonServices services;
    QStringList opened;
    QPointer<Balloon> shown;
};

TEST_F(BalloonTest, MouseMoveRuleWaitsWhileTheMouseRestsAndClosesWhenItMoves)
{
    launch(CloseOnMouseMove, 0);
    ASSERT_TRUE(open());
    EXPECT_TRUE(shown->options() & DeleteWhenClosed);
    moveMouseTo(kPointer + QPoint(4, -4));
    moveMouseTo(kPointer);
    EXPECT_TRUE(open()) << "within the hover rectangle";
    moveMouseTo(kPointer + QPoint(5, 0));
    EXPECT_FALSE(open());
    EXPECT_TRUE(shown.isNull()) << "it deleted itself";
}

TEST_F(BalloonTest, DelayedCloseClosesOneSecondAfterTheMouseFirstMoves)
{
    launch(DelayClose | CloseOnMouseMove, 1000);
    EXPECT_FALSE(timers.running(Timer::Display)) << "a delayed balloon starts no timer when shown";
    moveMouseTo(kPointer + QPoint(2, 3));
    EXPECT_FALSE(timers.running(Timer::Display));
    moveMouseTo(kPointer + QPoint(0, -9));
    EXPECT_TRUE(open());
    EXPECT_EQ(timers.interval(Timer::Display), 1000);
    EXPECT_EQ(shown->options() & (DelayClose | MouseRules), 0u);
    // The mouse rules are gone: more moves and clicks change nothing.
    moveMouseTo(kPointer + QPoint(90, 90));
    QTest::mouseClick(&window, Qt::LeftButton);
    EXPECT_TRUE(open());
    EXPECT_EQ(timers.interval(Timer::Display), 1000);
    timers.fire(Timer::Display);
    EXPECT_FALSE(open());
}

TEST_F(BalloonTest, DelayedCloseKeepsTheKeyRule)
{
    launch(DelayClose | CloseOnKeyDown | CloseOnLeftDown, 0);
    QTest::mouseClick(&window, Qt::LeftButton);
    EXPECT_TRUE(open());
    EXPECT_EQ(shown->options() & (DelayClose | CloseOnKeyDown), CloseOnKeyDown);
    EXPECT_FALSE(timers.running(Timer::Display)) << "display time 0 starts no timer";
    QTest::keyClick(&window, Qt::Key_A);
    EXPECT_FALSE(open());
}

TEST_F(BalloonTest, DisplayTimeZeroWithoutRulesStaysUntilAClose)
{
    launch(0, 0);
    moveMouseTo(kPointer + QPoint(200, 200));
    QTest::mouseClick(&window, Qt::LeftButton);
    QTest::mouseClick(&window, Qt::RightButton);
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::mouseClick(shown, Qt::LeftButton, {}, shown->shape().body.center());
    EXPECT_FALSE(timers.running(Timer::Display));
    EXPECT_TRUE(open());
    EXPECT_TRUE(opened.isEmpty()) << "no address, so a click does nothing";
    shown->close();
    EXPECT_FALSE(open());
}

TEST_F(BalloonTest, TheCloseButtonClosesOnAClickPressedAndReleasedOnIt)
{
    launch(ShowCloseButton, 0);
    QRect button = shown->closeButtonRect();
    ASSERT_FALSE(button.isEmpty());
    EXPECT_TRUE(shown->shape().body.contains(button));
    QTest::mousePress(shown, Qt::LeftButton, {}, button.center());
    QTest::mouseRelease(shown, Qt::LeftButton, {}, shown->shape().body.center());
    EXPECT_TRUE(open()) << "released away from the button";
    QTest::mouseClick(shown, Qt::LeftButton, {}, button.center());
    EXPECT_FALSE(open());
}

TEST_F(BalloonTest, ADisplayTimeStartsWhenShownAndCloses)
{
    launch(0, 2500);
    EXPECT_EQ(timers.interval(Timer::Display), 2500);
    EXPECT_TRUE(open());
    timers.fire(Timer::Display);
    EXPECT_FALSE(open());
}

TEST_F(BalloonTest, ButtonRulesFireOnTheirOwnButtonAndDirection)
{
    QWidget elsewhere;
    elsewhere.setGeometry(800, 100, 100, 100);
    elsewhere.show();
    launch(CloseOnLeftUp, 0);
    QTest::mousePress(&elsewhere, Qt::LeftButton);
    EXPECT_TRUE(open()) << "pressing is not releasing";
    QTest::mouseClick(&elsewhere, Qt::RightButton);
    EXPECT_TRUE(open());
    QTest::mouseRelease(&elsewhere, Qt::LeftButton);
    EXPECT_FALSE(open());

    launch(CloseOnRightDown, 0);
    QTest::mouseClick(&elsewhere, Qt::LeftButton);
    EXPECT_TRUE(open());
    QTest::mousePress(&elsewhere, Qt::RightButton);
    EXPECT_FALSE(open());
    QTest::mouseRelease(&elsewhere, Qt::RightButton);
}

TEST_F(BalloonTest, AClickOnABalloonWithAnAddressOpensItAndCloses)
{
    launch(0, 0, "https://example.org/help");
    QTest::mouseClick(shown, Qt::LeftButton, {}, shown->shape().body.center());
    EXPECT_EQ(opened, QStringList{"https://example.org/help"});
    EXPECT_FALSE(open());
}

TEST_F(BalloonTest, FollowsItsParentWindow)
{
    launch(0, 0);
    QPoint before = shown->pos();
    EXPECT_EQ(before + shown->shape().tip, window.mapToGlobal(QPoint(50, 40)));
    window.move(window.pos() + QPoint(120, 70));
    QCoreApplication::processEvents();
    EXPECT_EQ(shown->pos(), before + QPoint(120, 70));
}

TEST_F(BalloonTest, GoesWithItsParentWindow)
{
    auto* parent = new QWidget;
    parent->show();
    Balloon* balloon = LaunchBalloon("t", "x", {1, 1}, {}, 0, parent, {}, 0, services);
    QPointer<Balloon> watched = balloon;
    delete parent;
    EXPECT_TRUE(watched.isNull());
    moveMouseTo(kPointer + QPoint(50, 50));
}

TEST_F(BalloonTest, FadesInAndOutOverItsSteps)
{
    for (auto effect : {Qt::UI_General, Qt::UI_AnimateTooltip, Qt::UI_FadeTooltip})
        QApplication::setEffectEnabled(effect, true);
    launch(CloseOnKeyDown, 0);
    for (auto effect : {Qt::UI_General, Qt::UI_AnimateTooltip, Qt::UI_FadeTooltip})
        QApplication::setEffectEnabled(effect, false);
    ASSERT_FALSE(shown->options() & ShowWithoutFading);
    EXPECT_LT(shown->windowOpacity(), 0.5);
    EXPECT_EQ(timers.interval(Timer::Fade), 20);
    EXPECT_EQ(timers.finishFade(), Balloon::kFadeSteps - 1) << "the first step is taken when shown";
    EXPECT_DOUBLE_EQ(shown->windowOpacity(), 1.0);

    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_TRUE(shown->isClosing());
    EXPECT_TRUE(shown->isVisible()) << "still fading out";
    EXPECT_FALSE(open());
}

TEST_F(BalloonTest, WithoutTooltipEffectsItNeitherFadesInNorOut)
{
    for (auto effect : {Qt::UI_AnimateTooltip, Qt::UI_FadeTooltip})
        QApplication::setEffectEnabled(effect, false);
    launch(CloseOnKeyDown, 0);
    EXPECT_EQ(shown->options() & (ShowWithoutFading | HideWithoutFading), ShowWithoutFading | HideWithoutFading);
    EXPECT_DOUBLE_EQ(shown->windowOpacity(), 1.0);
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(shown->isVisible());
}

TEST_F(BalloonTest, HostileTextStaysInsideTheScreen)
{
    QString huge = QString::fromUtf8("\xff\xfe broken bytes & more\r\n") + QString(60000, u'w');
    Balloon* balloon = LaunchBalloon(huge.left(300), huge, {50, 40}, {}, 0, &window, {}, 0, services);
    QRect workArea = window.screen()->availableGeometry();
    EXPECT_LE(balloon->width(), workArea.width()) << "the title is elided, the text wrapped";
    EXPECT_GE(balloon->y(), workArea.top() - 20);
    EXPECT_GE(balloon->x(), workArea.left());
    balloon->requestClose();
    shown = balloon;
    EXPECT_FALSE(open());
}

TEST_F(BalloonTest, TheReminderBalloonPointsAtTheWorkAreasCornerAndClosesAfterItsDuration)
{
    BalloonRequest request;
    request.title = "KVN";
    request.text = "There are 12 unread e-mails in the KVN Quarantined folder \xff\xfe";
    request.icon = MessageIcon::Warning;
    request.durationMilliseconds = 5000;
    shown = LaunchCornerBalloon(request, services);
    QRect workArea = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_FALSE(shown->shape().pointerOnTop);
    EXPECT_EQ(shown->pos() + shown->shape().tip, workArea.bottomRight() - QPoint(16, 16));
    EXPECT_LE(shown->geometry().right(), workArea.right());
    EXPECT_FALSE(shown->closeButtonRect().isEmpty());
    EXPECT_EQ(timers.interval(Timer::Display), 5000);
    moveMouseTo(kPointer + QPoint(300, 300));
    EXPECT_TRUE(open()) << "a reminder has no closing rules";
    timers.fire(Timer::Display);
    EXPECT_FALSE(open());

    request.durationMilliseconds = -1;
    shown = LaunchCornerBalloon(request, services);
    EXPECT_FALSE(timers.running(Timer::Display));
    shown->requestClose();
    EXPECT_FALSE(open());
}

} // namespace
} // namespace kvn::ui
