// The re-check dialog offscreen: the start value, the pickers' range, the
// "all unread e-mails" box and the result.
#include "ui/recheck_dialog.h"

#include "tests/support/local_time.h"
#include "tests/support/qt_application.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kvn {
namespace {

using testing::oleDateOf;

const QDateTime year2000(QDate(2000, 1, 1), QTime(0, 0, 0));

class RecheckDialogTest : public ::testing::Test {
protected:
    void SetUp() override { testing::qtApplication(); }

    template <typename Widget> Widget* control(QDialog& dialog, const char* name)
    {
        auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    SettableClock now_{oleDateOf(2026, 12, 9, 14, 30, 15)};
};

TEST_F(RecheckDialogTest, ItsControlsCarryTheirNumbersAndTexts)
{
    RecheckDialog dialog(0, now_);
    EXPECT_EQ(dialog.windowTitle(), "Re-check unread e-mails");
    EXPECT_EQ(control<QCheckBox>(dialog, "control_250")->text(), "Re-check all unread e-mails");
    EXPECT_EQ(control<QGroupBox>(dialog, "group_recheck_all")->title(), "Re-check all :");
    EXPECT_EQ(control<QGroupBox>(dialog, "control_253")->title(), "Re-check after :");
    EXPECT_EQ(control<QLabel>(dialog, "control_254")->text(), "Re-check all unread e-mails received after:");
    EXPECT_EQ(control<QDateTimeEdit>(dialog, "control_251")->displayFormat(), "ddd dd-MMM-yyyy");
    EXPECT_EQ(control<QPushButton>(dialog, "control_1")->text(), "Re-check Now!");
    EXPECT_EQ(control<QPushButton>(dialog, "control_2")->text(), "Cancel");
    EXPECT_FALSE(control<QLabel>(dialog, "icon_253")->pixmap().isNull());
    EXPECT_EQ(dialog.size(), QSize(353, 239));
}

TEST_F(RecheckDialogTest, WithoutACheckFromTimeItOpensOnTheFirstOf2000)
{
    for (const double unset : {0.0, -5.0}) {
        RecheckDialog dialog(unset, now_);
        EXPECT_EQ(control<QDateTimeEdit>(dialog, "control_251")->dateTime(), year2000);
        EXPECT_EQ(control<QDateTimeEdit>(dialog, "control_252")->dateTime(), year2000);
        EXPECT_EQ(control<QLabel>(dialog, "control_249")->text(),
            "KVN currently checks all unread e-mails received after\n01 Jan 2000  00:00:00");
        EXPECT_DOUBLE_EQ(dialog.chosenCheckFromTime(), oleDateOf(2000, 1, 1));
    }
}

TEST_F(RecheckDialogTest, ItOpensOnTheCurrentCheckFromTime)
{
    RecheckDialog dialog(oleDateOf(2025, 3, 7, 9, 5, 30), now_);
    EXPECT_EQ(control<QDateTimeEdit>(dialog, "control_251")->date(), QDate(2025, 3, 7));
    EXPECT_EQ(control<QDateTimeEdit>(dialog, "control_252")->time(), QTime(9, 5, 30));
    EXPECT_EQ(control<QLabel>(dialog, "control_249")->text(),
        "KVN currently checks all unread e-mails received after\n07 Mar 2025  09:05:30");
    EXPECT_DOUBLE_EQ(dialog.chosenCheckFromTime(), oleDateOf(2025, 3, 7, 9, 5, 30));
}

TEST_F(RecheckDialogTest, ThePickersRefuseTimesBefore2000AndAfterNow)
{
    RecheckDialog dialog(oleDateOf(2020, 6, 1), now_);
    QDateTimeEdit* date = control<QDateTimeEdit>(dialog, "control_251");
    EXPECT_EQ(date->minimumDate(), QDate(2000, 1, 1));
    EXPECT_EQ(date->maximumDate(), QDate(2026, 12, 9));
    date->setDate(QDate(1999, 12, 31));
    EXPECT_EQ(date->date(), QDate(2000, 1, 1));
    date->setDate(QDate(2027, 1, 1));
    EXPECT_EQ(date->date(), QDate(2026, 12, 9));

    QDateTimeEdit* time = control<QDateTimeEdit>(dialog, "control_252");
    date->setDate(QDate(2026, 12, 8));
    EXPECT_EQ(time->minimumTime(), QTime(0, 0, 0));
    EXPECT_EQ(time->maximumTime(), QTime(23, 59, 59));
    time->setTime(QTime(20, 0, 0));
    EXPECT_EQ(time->time(), QTime(20, 0, 0));
    // On today the time picker stops at now, and follows the date picker.
    date->setDate(QDate(2026, 12, 9));
    EXPECT_EQ(time->maximumTime(), QTime(14, 30, 15));
    EXPECT_EQ(time->time(), QTime(14, 30, 15));
    EXPECT_DOUBLE_EQ(dialog.chosenCheckFromTime(), now_.nowOleDate());
    date->setDate(QDate(2000, 1, 1));
    time->setTime(QTime(0, 0, 0));
    EXPECT_DOUBLE_EQ(dialog.chosenCheckFromTime(), oleDateOf(2000, 1, 1));
}

TEST_F(RecheckDialogTest, TheResultJoinsTheDatePickersDayWithTheTimePickersTime)
{
    RecheckDialog dialog(oleDateOf(2020, 6, 1, 8, 0, 0), now_);
    control<QDateTimeEdit>(dialog, "control_251")->setDate(QDate(2024, 2, 29));
    control<QDateTimeEdit>(dialog, "control_252")->setTime(QTime(17, 45, 10));
    EXPECT_DOUBLE_EQ(dialog.chosenCheckFromTime(), oleDateOf(2024, 2, 29, 17, 45, 10));
}

TEST_F(RecheckDialogTest, TickingAllDisablesTheGroupAndGivesZero)
{
    RecheckDialog dialog(oleDateOf(2020, 6, 1), now_);
    QCheckBox* all = control<QCheckBox>(dialog, "control_250");
    const char* followers[] = {"control_253", "control_254", "control_251", "control_252"};
    QTest::mouseClick(all, Qt::LeftButton);
    ASSERT_TRUE(all->isChecked());
    for (const char* name : followers)
        EXPECT_FALSE(control<QWidget>(dialog, name)->isEnabled()) << name;
    EXPECT_EQ(dialog.chosenCheckFromTime(), 0.0);
    QTest::mouseClick(all, Qt::LeftButton);
    for (const char* name : followers)
        EXPECT_TRUE(control<QWidget>(dialog, name)->isEnabled()) << name;
    EXPECT_DOUBLE_EQ(dialog.chosenCheckFromTime(), oleDateOf(2020, 6, 1));
}

// The modal form, answered by clicking its buttons once it is up.
TEST_F(RecheckDialogTest, RunningItGivesTheChoiceOrNoneOnCancel)
{
    auto clickWhenUp = [](const char* box, const char* button) {
        QTimer::singleShot(0, [box, button] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            if (box != nullptr)
                dialog->findChild<QCheckBox*>(QString::fromLatin1(box))->setChecked(true);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
        });
    };
    clickWhenUp("control_250", "control_1");
    EXPECT_EQ(runRecheckDialog(oleDateOf(2020, 6, 1)), std::optional<double>(0.0));
    clickWhenUp(nullptr, "control_1");
    const std::optional<double> unchanged = runRecheckDialog(oleDateOf(2020, 6, 1, 10, 0, 0));
    ASSERT_TRUE(unchanged);
    EXPECT_DOUBLE_EQ(*unchanged, oleDateOf(2020, 6, 1, 10, 0, 0));
    clickWhenUp("control_250", "control_2");
    EXPECT_EQ(runRecheckDialog(oleDateOf(2020, 6, 1)), std::nullopt);
}

} // namespace
} // namespace kvn
