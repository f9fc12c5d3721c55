// The Qt Ui service: boxes answered by "clicking" them from the GUI thread,
// also while the question comes from a worker thread that waits for it.
#include "tests/host/window/window_fixture.h"
#include "ui/qt_ui.h"
#include "ui/ui_factory.h"

#include "platform/core/ole_date.h"

#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kvn {
namespace {

using host::testing::processUntil;
using host::testing::qtApplication;

// Clicks the button of the modal box once one is up, from the GUI thread.
void clickWhenShown(QMessageBox::StandardButton button, MessageRequest* seen = nullptr)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, button, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        if (seen != nullptr) {
            seen->caption = box->windowTitle().toStdString();
            seen->text = box->text().toStdString();
            seen->icon = box->icon() == QMessageBox::Warning ? MessageIcon::Warning : MessageIcon::None;
            seen->defaultButton = box->defaultButton() == box->button(QMessageBox::No) ? 1 : 0;
        }
        box->button(button)->click();
        timer->deleteLater();
    });
    timer->start(10);
}

class QtUiTest : public ::testing::Test {
protected:
    QtUiTest() { (void)qtApplication(); }
    QtUi ui;
};

TEST_F(QtUiTest, AWorkerWaitsForTheAnswerGivenOnTheGuiThread)
{
    MessageRequest seen;
    clickWhenShown(QMessageBox::No, &seen);
    std::atomic<bool> done = false;
    MessageAnswer answer = MessageAnswer::Ok;
    std::thread worker([&] {
        answer = ui.showMessage({"Keep blocking?", "KVN", MessageIcon::Warning, MessageButtons::YesNoCancel, 1});
        done = true;
    });
    const bool answered = processUntil([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(answered);
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_EQ(seen.caption, "KVN");
    EXPECT_EQ(seen.text, "Keep blocking?");
    EXPECT_EQ(seen.icon, MessageIcon::Warning);
    EXPECT_EQ(seen.defaultButton, 1);
}

TEST_F(QtUiTest, OnTheGuiThreadTheBoxRunsDirectlyWithItsButtons)
{
    clickWhenShown(QMessageBox::Retry);
    EXPECT_EQ(ui.showMessage({"Again?", "KVN", MessageIcon::Error, MessageButtons::RetryCancel}), MessageAnswer::Retry);
    clickWhenShown(QMessageBox::Cancel);
    EXPECT_EQ(
        ui.showMessage({"Go on?", "KVN", MessageIcon::Question, MessageButtons::OkCancel}), MessageAnswer::Cancel);
    clickWhenShown(QMessageBox::Ok);
    EXPECT_EQ(ui.showMessage({"Done.", "KVN"}), MessageAnswer::Ok);
}

TEST_F(QtUiTest, TheDateBoxGivesTheChosenOleDateOrNoneWhenCancelled)
{
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 1;
    local.tm_hour = 9;
    local.tm_min = 30;
    const double initial = oleDateFromLocal(local);
    const auto answerWith = [](QDialogButtonBox::StandardButton button, int addDays) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, button, addDays] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            auto* edit = dialog->findChild<QDateTimeEdit*>("dateTime");
            edit->setDateTime(edit->dateTime().addDays(addDays));
            dialog->findChild<QDialogButtonBox*>()->button(button)->click();
            timer->deleteLater();
        });
        timer->start(10);
    };
    answerWith(QDialogButtonBox::Ok, 2);
    const std::optional<double> chosen = ui.chooseDateTime("Re-check", "From when?", initial);
    ASSERT_TRUE(chosen);
    EXPECT_NEAR(*chosen, initial + 2, 1e-6);
    answerWith(QDialogButtonBox::Cancel, 0);
    EXPECT_FALSE(ui.chooseDateTime("Re-check", "From when?", initial));
}

TEST_F(QtUiTest, BalloonsCloseThemselvesAndTheFactoryPicksTheWindowsUi)
{
    ui.showBalloon({"KVN", "2 e-mails quarantined", MessageIcon::Information, 50});
    ASSERT_TRUE(processUntil([] {
        return !QApplication::topLevelWidgets().isEmpty()
            && QApplication::topLevelWidgets().front()->objectName() == "balloon";
    }));
    EXPECT_TRUE(processUntil([] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == "balloon")
                return false;
        return true;
    }));
    EXPECT_NE(dynamic_cast<QtUi*>(makeUi().get()), nullptr);
}

TEST(QtFileFilter, WindowsFiltersBecomeQtFilters)
{
    EXPECT_EQ(qtFileFilter("KVN List (*.lst)|*.lst||"), "KVN List (*.lst)");
    EXPECT_EQ(qtFileFilter("Text|*.txt;*.csv|All|*.*||"), "Text (*.txt *.csv);;All (*.*)");
    EXPECT_EQ(qtFileFilter(""), "All files (*)");
    EXPECT_EQ(qtFileFilter("Lists without a pattern|||"), "All files (*)");
}

} // namespace
} // namespace kvn
