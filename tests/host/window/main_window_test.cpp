// The main window over a real Maildir: what it shows of the disk, how it
// follows the folder live, and how it and the host's explorer stay one.
#include "host/window/folder_tree.h"
#include "host/window/main_window.h"
#include "host/window/message_list_model.h"
#include "host/window/outlook_bar_view.h"
#include "host/window/preview_pane.h"
#include "host/window/window_settings.h"
#include "platform/com/connection_point.h"
#include "tests/host/window/window_fixture.h"

#include <QAction>
#include <QFont>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTreeView>

#include <gmock/gmock.h>

#include <filesystem>
#include <sys/stat.h>

namespace kvn::host::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class MainWindowTest : public WindowFixture {
protected:
    std::unique_ptr<MainWindow> openWindow()
    {
        return std::make_unique<MainWindow>(*application.get(), *registry, stores, "Test");
    }

    static std::vector<std::string> subjectsOf(const MainWindow& window)
    {
        std::vector<std::string> subjects;
        for (int row = 0; row < window.messages()->rowCount(); ++row)
            subjects.push_back(window.messages()->mailAt(row)->subject().value_or(""));
        return subjects;
    }

    static int rowWithSubject(const MainWindow& window, const std::string& subject)
    {
        for (int row = 0; row < window.messages()->rowCount(); ++row)
            if (window.messages()->mailAt(row)->subject() == subject)
                return row;
        return -1;
    }

    static bool isBold(const MainWindow& window, int row)
    {
        const QVariant font = window.messages()->data(window.messages()->index(row, 1), Qt::FontRole);
        return font.isValid() && font.value<QFont>().bold();
    }

    static void selectRows(MainWindow& window, std::initializer_list<int> rows)
    {
        QItemSelection selection;
        for (const int row : rows)
            selection.select(
                window.messages()->index(row, 0), window.messages()->index(row, MessageListModel::ColumnCount - 1));
        window.messageList()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }

    int folderSwitches = 0;
    com::EventSubscription folderSwitch;
    void countFolderSwitches()
    {
        const auto sink = com::makeEventSink(outlook::explorerEventsIid, [this](com::DISPID member, auto) {
            folderSwitches += member == outlook::dispidFolderSwitch ? 1 : 0;
            return com::S_OK;
        });
        ASSERT_EQ(
            folderSwitch.subscribe(application->explorer()->eventSource(), outlook::explorerEventsIid, sink.get()),
            com::S_OK);
    }
};

TEST_F(MainWindowTest, TreeAndListShowWhatIsOnDisk)
{
    deliver("", "1.anna", "Anna Berg <anna@friends.example>", "Dinner", false);
    deliver("", "2.chris", "Chris Lind <chris@work.example>", "Figures", false);
    deliver("", "3.old", "Old Friend <old@friends.example>", "Long ago", true);
    deliver(".Lists", "4.list", "A List <list@lists.example>", "Digest", false);
    const auto window = openWindow();

    EXPECT_EQ(window->folderTree()->unreadShown(inbox()->entryId()), 2);
    EXPECT_EQ(window->folderTree()->unreadShown(folderNamed("Lists")->entryId()), 1);
    EXPECT_THAT(window->folderTree()->rowOf(inbox()->entryId())->text(0).toStdString(), "Inbox (2)");
    ASSERT_EQ(window->messages()->rowCount(), 3);
    EXPECT_TRUE(isBold(*window, rowWithSubject(*window, "Dinner")));
    EXPECT_TRUE(isBold(*window, rowWithSubject(*window, "Figures")));
    EXPECT_FALSE(isBold(*window, rowWithSubject(*window, "Long ago")));
    EXPECT_EQ(window->messages()
                  ->data(window->messages()->index(rowWithSubject(*window, "Dinner"), 0), Qt::DisplayRole)
                  .toString()
                  .toStdString(),
        "Anna Berg");

    window->messages()->sort(MessageListModel::SubjectColumn, Qt::AscendingOrder);
    EXPECT_THAT(subjectsOf(*window), ElementsAre("Dinner", "Figures", "Long ago"));
    window->messages()->sort(MessageListModel::FromColumn, Qt::DescendingOrder);
    EXPECT_THAT(subjectsOf(*window), ElementsAre("Long ago", "Figures", "Dinner"));
    EXPECT_THAT(window->outlookBar()->shortcutNames(), ::testing::Contains(QString("Inbox")));
}

TEST_F(MainWindowTest, ListFollowsMailDeliveredAndMovedAwayByAnotherProgram)
{
    deliver("", "1.first", "a@example.org", "First", true);
    const auto window = openWindow();
    ASSERT_EQ(window->messages()->rowCount(), 1);
    QSignalSpy reloaded(window.get(), &MainWindow::listReloaded);

    // Another program delivers: written into tmp/ and renamed into new/.
    ASSERT_EQ(std::system(("cd '" + root
                  + "' && printf 'From: b@example.org\\r\\nSubject: Second\\r\\n\\r\\nHi\\r\\n' > tmp/2.second"
                    " && mv tmp/2.second new/2.second")
                              .c_str()),
        0);
    ASSERT_TRUE(processUntil([&] { return window->messages()->rowCount() == 2; }));
    EXPECT_EQ(window->folderTree()->unreadShown(inbox()->entryId()), 1);

    // ... and moves the first one away into another folder.
    ASSERT_EQ(std::system(("mv '" + root + "/cur/1.first:2,S' '" + root + "/.Lists/cur/'").c_str()), 0);
    ASSERT_TRUE(processUntil([&] { return window->messages()->rowCount() == 1; }));
    EXPECT_THAT(subjectsOf(*window), ElementsAre("Second"));
    EXPECT_GE(reloaded.count(), 2);

    // A flag changed by another client: the row is no longer bold.
    ASSERT_EQ(std::system(("mv '" + root + "/new/2.second' '" + root + "/cur/2.second:2,S'").c_str()), 0);
    ASSERT_TRUE(processUntil([&] { return !isBold(*window, 0); }));
    EXPECT_TRUE(processUntil([&] { return window->folderTree()->unreadShown(inbox()->entryId()) == 0; }));
}

TEST_F(MainWindowTest, SelectedRowsAreTheExplorersSelectionInListOrder)
{
    deliver("", "1.a", "a@example.org", "Alpha", true);
    deliver("", "2.b", "b@example.org", "Bravo", true);
    deliver("", "3.c", "c@example.org", "Charlie", true);
    const auto window = openWindow();
    window->messages()->sort(MessageListModel::SubjectColumn, Qt::DescendingOrder);
    selectRows(*window, {2, 0});

    const auto selection = application->explorer()->selection();
    ASSERT_EQ(selection->count(), 2u);
    EXPECT_EQ(selection->item(1)->asMailItem()->subject(), "Charlie");
    EXPECT_EQ(selection->item(2)->asMailItem()->subject(), "Alpha");

    // Sorting keeps the same e-mails selected.
    window->messages()->sort(MessageListModel::SubjectColumn, Qt::AscendingOrder);
    EXPECT_EQ(window->messageList()->selectionModel()->selectedRows().size(), 2);
    for (const QModelIndex& row : window->messageList()->selectionModel()->selectedRows())
        EXPECT_NE(window->messages()->mailAt(row.row())->subject(), "Bravo");
}

TEST_F(MainWindowTest, ExplorerAndWindowMoveTogetherAndAClickSwitchesOnce)
{
    deliver(".Lists", "1.list", "list@lists.example", "Digest", true);
    const auto window = openWindow();
    countFolderSwitches();

    // An add-in sets CurrentFolder: the window moves.
    ASSERT_TRUE(application->explorer()->setCurrentFolder(folderNamed("Lists")));
    EXPECT_EQ(folderSwitches, 1);
    EXPECT_EQ(window->messages()->folder()->name(), "Lists");
    EXPECT_THAT(subjectsOf(*window), ElementsAre("Digest"));
    EXPECT_EQ(window->folderTree()->currentItem(), window->folderTree()->rowOf(folderNamed("Lists")->entryId()));

    // A click in the tree sets it in the explorer, with one FolderSwitch.
    window->folderTree()->setCurrentItem(window->folderTree()->rowOf(inbox()->entryId()));
    EXPECT_EQ(folderSwitches, 2);
    EXPECT_EQ(application->explorer()->currentFolder()->name(), "Inbox");
    EXPECT_EQ(window->messages()->rowCount(), 0);

    // ShowPane from the model hides the preview; the menu shows it again.
    ASSERT_TRUE(application->explorer()->showPane(outlook::olPreview, false));
    EXPECT_TRUE(window->preview()->isHidden());
    EXPECT_FALSE(window->previewAction()->isChecked());
    window->previewAction()->trigger();
    EXPECT_TRUE(application->explorer()->isPaneVisible(outlook::olPreview));
    EXPECT_FALSE(window->preview()->isHidden());
}

TEST_F(MainWindowTest, PreviewMarksReadAndOpeningRaisesNewInspector)
{
    const std::string file = deliver("", "1.att", "Anna <anna@friends.example>", "With a file", false,
        "--b\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>The <b>plan</b></p>\r\n--b\r\nContent-Type: "
        "application/pdf\r\nContent-Disposition: attachment; filename=\"plan.pdf\"\r\n\r\nJVBERi0=\r\n--b--",
        "multipart/mixed; boundary=b");
    deliver("", "2.other", "b@example.org", "Other", false);
    const auto window = openWindow();
    const int row = rowWithSubject(*window, "With a file");
    selectRows(*window, {row});

    EXPECT_THAT(window->preview()->headerText().toStdString(), HasSubstr("From: Anna <anna@friends.example>"));
    EXPECT_THAT(window->preview()->body()->toPlainText().toStdString(), HasSubstr("The plan"));
    EXPECT_THAT(window->preview()->attachmentText().toStdString(), HasSubstr("plan.pdf"));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(std::filesystem::exists(root + "/cur/1.att:2,S"));
    EXPECT_FALSE(isBold(*window, row));
    EXPECT_EQ(window->folderTree()->unreadShown(inbox()->entryId()), 1);

    int inspectorsOpened = 0;
    com::EventSubscription newInspector;
    const auto sink = com::makeEventSink(outlook::inspectorsEventsIid, [&](com::DISPID, auto) {
        ++inspectorsOpened;
        return com::S_OK;
    });
    ASSERT_EQ(
        newInspector.subscribe(application->inspectors()->eventSource(), outlook::inspectorsEventsIid, sink.get()),
        com::S_OK);
    const int other = rowWithSubject(*window, "Other");
    emit window->messageList()->activated(window->messages()->index(other, 0));
    EXPECT_EQ(inspectorsOpened, 1);
    EXPECT_EQ(application->inspectors()->count(), 1u);
    EXPECT_EQ(application->inspectors()->item(1)->currentItem()->asMailItem()->subject(), "Other");
    EXPECT_FALSE(isBold(*window, other)) << "an e-mail opened is read";
    EXPECT_EQ(window->findChildren<QWidget*>("inspector").size(), 1);
}

TEST_F(MainWindowTest, SizeSplittersAndLastFolderComeBackAtTheNextStart)
{
    {
        const auto window = openWindow();
        window->resize(900, 640);
        ASSERT_TRUE(application->explorer()->setCurrentFolder(folderNamed("Lists")));
        ASSERT_TRUE(window->saveSettings());
    }
    EXPECT_EQ(
        loadWindowSettings(*registry, "Test").lastFolder, (std::vector<std::string>{"Personal Folders", "Lists"}));
    registry = registry::openFileRegistry(temp / "registry");
    openApplication();
    countFolderSwitches();
    const auto again = openWindow();
    EXPECT_EQ(again->size(), QSize(900, 640));
    EXPECT_EQ(application->explorer()->currentFolder()->name(), "Lists");
    EXPECT_EQ(again->messages()->folder()->name(), "Lists");
    EXPECT_EQ(folderSwitches, 1) << "the add-ins see the folder shown again switched to";
}

TEST_F(MainWindowTest, HostileSettingsAndMailDoNotStopTheWindow)
{
    const std::string key = windowSettingsKey("Test");
    ASSERT_TRUE(registry->setValue(registry::Hive::CurrentUser, key, "Geometry", {3, std::string(200, '\xff')}));
    ASSERT_TRUE(registry->setValue(registry::Hive::CurrentUser, key, "Splitters", {3, std::string(100000, 'x')}));
    ASSERT_TRUE(registry->setValue(registry::Hive::CurrentUser, key, "LastFolder", {1, "Personal Folders/Gone"}));
    deliver("", "1.latin", "a@example.org", "Caf\xe9 \xff\xfe", false);
    kvn::testing::writeWholeFile(root + "/new/2.truncated", "From: b@example.org\r\nSubj");
    ASSERT_EQ(::mkfifo((root + "/new/3.fifo").c_str(), 0600), 0);
    kvn::testing::writeWholeFile(root + "/new/4.huge", "Subject: Huge\r\n\r\n" + std::string(8 << 20, 'a'));

    const auto window = openWindow();
    EXPECT_EQ(application->explorer()->currentFolder()->name(), "Inbox");
    EXPECT_GE(window->messages()->rowCount(), 3);
    const int latin = rowWithSubject(*window, window->messages()->mailAt(0)->subject().value_or(""));
    EXPECT_GE(latin, 0);
    for (int row = 0; row < window->messages()->rowCount(); ++row)
        EXPECT_FALSE(window->messages()->data(window->messages()->index(row, 1), Qt::DisplayRole).isNull());
}

} // namespace
} // namespace kvn::host::testing
