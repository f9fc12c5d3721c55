// The default-inbox dialog offscreen: rows in order, their pictures, the
// current default selected and what OK gives.
#include "ui/default_inbox_dialog.h"

#include "ui/dialog_art.h"

#include "tests/support/qt_application.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace kvn {
namespace {

class DefaultInboxDialogTest : public ::testing::Test {
protected:
    void SetUp() override { testing::qtApplication(); }

    static QTreeWidget* listOf(QDialog& dialog) { return dialog.findChild<QTreeWidget*>("control_243"); }
    static QImage imageOf(const QIcon& icon) { return icon.pixmap(16, 16).toImage(); }

    const std::vector<std::string> folders_{"Personal Folders", "Work", "personal folders", "Family"};
};

TEST_F(DefaultInboxDialogTest, OneRowPerFolderInOrderWithItsPicture)
{
    DefaultInboxDialog dialog(folders_, "Work");
    EXPECT_EQ(dialog.windowTitle(), "Default Inbox folder");
    EXPECT_EQ(dialog.size(), QSize(293, 267));
    EXPECT_NE(dialog.findChild<QLabel*>("label_select"), nullptr);
    EXPECT_EQ(dialog.findChild<QLabel*>("label_select")->text(), "Please select your default* Inbox folder under:");
    EXPECT_EQ(
        dialog.findChild<QLabel*>("label_note")->text(), "* All your trusted e-mails will be moved to this folder.");
    QTreeWidget* list = listOf(dialog);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->headerItem()->text(1), "Folder");
    EXPECT_EQ(list->columnWidth(0), 16);
    EXPECT_EQ(list->columnWidth(1), list->contentsRect().width() - 20);
    ASSERT_EQ(list->topLevelItemCount(), 4);
    const QImage store = imageOf(QIcon(dialogPicture(DialogPicture::MailStore, 16)));
    const QImage tray = imageOf(QIcon(dialogPicture(DialogPicture::InboxTray, 16)));
    ASSERT_NE(store, tray);
    for (int row = 0; row < 4; ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        EXPECT_EQ(item->text(1).toStdString(), folders_[row]);
        // Only the exact name is the mail store.
        EXPECT_EQ(imageOf(item->icon(0)), row == 0 ? store : tray) << row;
    }
}

TEST_F(DefaultInboxDialogTest, TheCurrentDefaultIsSelectedAndOkGivesTheSelectedName)
{
    DefaultInboxDialog dialog(folders_, "Family");
    EXPECT_EQ(dialog.selectedName(), "Family");
    QTreeWidget* list = listOf(dialog);
    list->setCurrentItem(list->topLevelItem(2));
    EXPECT_EQ(dialog.selectedName(), "personal folders");
}

TEST_F(DefaultInboxDialogTest, WithoutASelectionOkIsNotOffered)
{
    DefaultInboxDialog dialog(folders_, "Not there");
    auto* ok = dialog.findChild<QPushButton*>("control_1");
    EXPECT_EQ(dialog.selectedName(), std::nullopt);
    EXPECT_FALSE(ok->isEnabled());
    listOf(dialog)->setCurrentItem(listOf(dialog)->topLevelItem(1));
    EXPECT_TRUE(ok->isEnabled());

    DefaultInboxDialog empty({}, "");
    EXPECT_FALSE(empty.findChild<QPushButton*>("control_1")->isEnabled());
}

TEST_F(DefaultInboxDialogTest, NamesThatAreNotUtf8ComeBackAsTheirBytes)
{
    const std::string odd("In\xff\xfe box", 8);
    DefaultInboxDialog dialog({"Work", odd}, odd);
    EXPECT_EQ(dialog.selectedName(), odd);
}

TEST_F(DefaultInboxDialogTest, RunningItGivesTheChoiceOrNoneOnCancel)
{
    auto clickWhenUp = [](const char* button) {
        QTimer::singleShot(0, [button] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
        });
    };
    clickWhenUp("control_1");
    EXPECT_EQ(runDefaultInboxDialog(folders_, "Work"), "Work");
    clickWhenUp("control_2");
    EXPECT_EQ(runDefaultInboxDialog(folders_, "Work"), std::nullopt);
}

} // namespace
} // namespace kvn
