// The dialog's state and its "Add Folder" and "Other folders" events, and the
// other-folders step, over a real Maildir store.
#include "addin/first_run_dialog.h"

#include "tests/addin/first_run_fixture.h"

#include <gmock/gmock.h>

namespace kvn {
namespace {

using ::testing::ElementsAre;

class FirstRunDialogTest : public testing::FirstRunFixture {
protected:
    FirstRunDialogTest()
    {
        testing::makeMaildir(root() + "/.Friends");
        testing::makeMaildir(root() + "/.Lists");
        application = open();
        top = application->getNamespace("MAPI")->folders()->getFirst()->folders();
    }

    outlook::FolderPtr folder(std::string_view name) { return top->item(name); }

    outlook::ApplicationPtr application;
    outlook::FoldersPtr top;
};

TEST_F(FirstRunDialogTest, TheDialogOpensWithItsFirstChoices)
{
    FirstRunDialog dialog(state, services(*application));
    EXPECT_EQ(dialog.contacts().caption, "Contacts (recommended)");
    EXPECT_TRUE(dialog.contacts().checked);
    EXPECT_EQ(dialog.sentItems().caption, "Sent e-mails (recommended)");
    EXPECT_TRUE(dialog.sentItems().checked);
    EXPECT_EQ(dialog.importFile().caption, "Import lists from file (older back-ups)");
    EXPECT_FALSE(dialog.importFile().checked);
    EXPECT_EQ(dialog.otherFolders().caption, "Other folders:  ");
    EXPECT_FALSE(dialog.otherFolders().checked);
    EXPECT_EQ(dialog.progress(FirstRunBar::Folders), 0);
    EXPECT_EQ(dialog.progress(FirstRunBar::WhiteList), 0);
    EXPECT_TRUE(dialog.nextEnabled());
    EXPECT_FALSE(dialog.addFolderEnabled());
    EXPECT_FALSE(dialog.doneEnabled());
    EXPECT_EQ(dialog.doneCaption(), "Done");
    EXPECT_FALSE(dialog.resultShown());
    EXPECT_FALSE(dialog.done()) << "closing before Next is no success";

    dialog.addFolder({false, folder("Friends")});
    EXPECT_TRUE(dialog.chosenFolders().empty()) << "Add Folder is disabled until Other folders is checked";
}

TEST_F(FirstRunDialogTest, AddFolderRefusesWithItsMessagesAndTheCaptionGrows)
{
    FirstRunDialog dialog(state, services(*application));
    dialog.setOtherFolders(true);
    EXPECT_TRUE(dialog.addFolderEnabled());
    ui.expect("Error", MessageAnswer::Ok)
        .expect("Incompatible items", MessageAnswer::Ok)
        .expect("Already selected", MessageAnswer::Ok);

    dialog.addFolder({true, nullptr});
    dialog.addFolder({false, nullptr}); // nothing picked: no message
    dialog.addFolder({false, folder("Contacts")});
    dialog.addFolder({false, folder("Friends")});
    dialog.addFolder({false, top->item("Friends")}); // the same folder, another handle
    dialog.addFolder({false, folder("Lists")});

    ASSERT_EQ(ui.shown().size(), 3u);
    EXPECT_EQ(ui.shown()[0].text, "An error occured. Please retry");
    EXPECT_EQ(ui.shown()[1].text, "Please select only folders containing e-mails.");
    EXPECT_EQ(ui.shown()[2].text, "This folder has been already selected.");
    EXPECT_EQ(ui.shown()[2].icon, MessageIcon::Information);
    EXPECT_EQ(dialog.otherFolders().caption, "Other folders:  Friends  Lists  ");
    ASSERT_EQ(dialog.chosenFolders().size(), 2u);
    EXPECT_EQ(dialog.chosenFolders()[1]->name(), "Lists");

    dialog.setOtherFolders(false);
    EXPECT_FALSE(dialog.addFolderEnabled());
    EXPECT_EQ(dialog.otherFolders().caption, "Other folders:  ");
    EXPECT_TRUE(dialog.chosenFolders().empty());
    dialog.setOtherFolders(true);
    dialog.addFolder({false, folder("Friends")});
    EXPECT_EQ(dialog.otherFolders().caption, "Other folders:  Friends  ") << "no longer chosen, so no message";
}

TEST_F(FirstRunDialogTest, OtherFoldersAddTheirSendersAndMoveTheBarFrom50To100)
{
    putReceived(root() + "/.Friends", "1710406900.M1P1.host", "Fred <FRED@example.org>");
    putReceived(root() + "/.Friends", "1710406901.M2P1.host", "gina@example.org");
    putReceived(root() + "/.Lists", "1710406902.M3P1.host", "Fred Frank <fred@example.org>");
    putSent("1710406800.M1P1.host", "hal@example.org");
    FirstRunDialog dialog(state, services(*application));
    dialog.setContacts(false);
    dialog.setOtherFolders(true);
    dialog.addFolder({false, folder("Friends")});
    dialog.addFolder({false, folder("Lists")});
    std::vector<int> bar;
    dialog.setProgressListener([&](FirstRunBar which, int position) {
        if (which == FirstRunBar::WhiteList)
            bar.push_back(position);
    });
    dialog.next();

    EXPECT_THAT(bar, ElementsAre(10, 50, 66, 83, 100));
    EXPECT_TRUE(dialog.succeeded());
    EXPECT_EQ(dialog.resultText(), "Korvane was succesfully configured.\nThank you for your pacience.");
    EXPECT_THAT(whiteList(),
        ElementsAre(
            "Fred <fred@example.org>", "gina@example.org <gina@example.org>", "hal@example.org <hal@example.org>"))
        << "a present entry with a real name keeps it; a sender without a name is shown by the address";

    // Pressed once; choices after it change nothing.
    dialog.next();
    dialog.setOtherFolders(false);
    EXPECT_EQ(dialog.chosenFolders().size(), 2u);
    EXPECT_THAT(bar, ElementsAre(10, 50, 66, 83, 100));
}

TEST_F(FirstRunDialogTest, AnEmptySentFolderTakesTheBarStraightTo50)
{
    FirstRunDialog dialog(state, services(*application));
    std::vector<int> bar;
    dialog.setProgressListener([&](FirstRunBar which, int position) {
        if (which == FirstRunBar::WhiteList)
            bar.push_back(position);
    });
    dialog.next();
    EXPECT_THAT(bar, ElementsAre(10, 50, 100));
    EXPECT_TRUE(dialog.succeeded());
}

} // namespace
} // namespace kvn
