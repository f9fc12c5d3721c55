// Inbox discovery and the work folders over real Maildir stores and a real
// registry folder.
#include "addin/work_folders.h"

#include "lists/registry_root.h"
#include "lists/settings.h"
#include "tests/outlook/maildir_fixture.h"
#include "tests/support/local_time.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kvn {
namespace {

using ::testing::ElementsAre;
using testing::TempFolder;

class WorkFoldersTest : public ::testing::Test {
protected:
    WorkFoldersTest() : state(ProfileData(temp / "install", "Default", realFileSystem(), clock))
    {
        setRegistryRoot(productRegistryRoot(registry.get()));
        for (const char* store : {"mailbox", "personal", "work", "archive"})
            testing::makeMaildir(temp / store);
        testing::makeMaildir(temp / "personal/.inbox");
        testing::makeMaildir(temp / "work/.Projects");
        testing::makeMaildir(temp / "work/.Projects.Inbox");
        application = outlook::openMaildirApplication(
            {testing::storeAt(temp / "mailbox", "Mailbox - Me"), testing::storeAt(temp / "archive", "ARCHIVE folders"),
                testing::storeAt(temp / "personal", "Personal Folders"), testing::storeAt(temp / "work", "Work")},
            "Default");
        state.settings.lastStopTime = testing::oleDateOf(2024, 3, 14, 18, 0);
        state.CheckFromTime = state.settings.lastStopTime - 1.0;
        log.setEnabled(true);
    }
    ~WorkFoldersTest() override { setRegistryRoot(productRegistryRoot()); }

    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        const std::string text = testing::readWholeFile(temp / "KVNLog.txt");
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }

    TempFolder temp;
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    SettableClock clock{testing::oleDateOf(2024, 3, 15, 9, 0)};
    EngineState state;
    outlook::ApplicationPtr application;
    DebugLog log{openAppendOnlyFile(temp / "KVNLog.txt"), clock};
};

TEST_F(WorkFoldersTest, EveryInboxDirectlyBelowAStoreTopIsFoundButNoneOfTheArchive)
{
    ASSERT_TRUE(writeString("Default", "DefaultInbox", "Work"));
    state.deliveredMailIds.append("left from before");
    GetAllInboxFolders(state, *application, log);

    ASSERT_EQ(state.folders.inboxes.size(), 3u);
    std::vector<std::string> stores;
    for (const outlook::FolderPtr& inbox : state.folders.inboxes) {
        EXPECT_EQ(inbox->name(), "Inbox");
        stores.push_back(inbox->parent()->name());
    }
    EXPECT_THAT(stores, ElementsAre("Mailbox - Me", "Personal Folders", "Work"))
        << "neither the lower-case inbox nor the Inbox inside Projects counts";
    EXPECT_THAT(state.storeNames, ElementsAre("Mailbox - Me", "Personal Folders", "Work"));
    ASSERT_TRUE(state.folders.defaultInbox);
    EXPECT_EQ(state.folders.defaultInbox->entryId(), state.folders.inboxes[2]->entryId());
    EXPECT_TRUE(state.deliveredMailIds.ids().empty()) << "emptied first";

    EXPECT_THAT(logLines(),
        ElementsAre("  GetAllInboxFolders - p1 - 8:0:0.0", "  GetAllInboxFolders - p2 - 8:0:0.0",
            "  GetAllInboxFolders - p3 - Mailbox - Me - 8:0:0.0", "  GetAllInboxFolders - p4 - Inbox - 8:0:0.0",
            "  GetAllInboxFolders - p4 - Contacts - 8:0:0.0", "  GetAllInboxFolders - p3 - Personal Folders - 8:0:0.0",
            "  GetAllInboxFolders - p4 - Inbox - 8:0:0.0", "  GetAllInboxFolders - p4 - inbox - 8:0:0.0",
            "  GetAllInboxFolders - p4 - Contacts - 8:0:0.0", "  GetAllInboxFolders - p3 - Work - 8:0:0.0",
            "  GetAllInboxFolders - p4 - Inbox - 8:0:0.0", "  GetAllInboxFolders - p4 - Projects - 8:0:0.0",
            "  GetAllInboxFolders - p4 - Contacts - 8:0:0.0", "  GetAllInboxFolders - finished - 8:0:0.0"));
}

TEST_F(WorkFoldersTest, UnreadMailOfTheLastDayBeforeTheStopIsRecordedAsAlreadySeen)
{
    const std::string text = testing::messageText("Hi");
    testing::putMessage(temp / "mailbox", "new", "at-stop", testing::localSeconds(2024, 3, 14, 18, 0), text);
    testing::putMessage(temp / "mailbox", "new", "minute-later", testing::localSeconds(2024, 3, 14, 18, 1), text);
    testing::putMessage(temp / "mailbox", "cur", "read:2,S", testing::localSeconds(2024, 3, 14, 12, 0), text);
    testing::putMessage(temp / "work", "new", "day-start", testing::localSeconds(2024, 3, 13, 18, 0), text);
    testing::putMessage(temp / "work", "new", "too-old", testing::localSeconds(2024, 3, 13, 17, 59), text);
    testing::putMessage(temp / "archive", "new", "archived", testing::localSeconds(2024, 3, 14, 12, 0), text);

    GetAllInboxFolders(state, *application, log);
    EXPECT_THAT(state.deliveredMailIds.ids(), ElementsAre("at-stop", "day-start"));
    EXPECT_FALSE(state.folders.defaultInbox) << "no DefaultInbox option: trusted mail stays where it arrived";
}

TEST_F(WorkFoldersTest, TheQuarantineFolderIsLookedForBesideDeletedItemsOfTheDefaultStore)
{
    EXPECT_FALSE(FindWorkFolders(state, *application));
    ASSERT_TRUE(state.folders.deletedItems);
    EXPECT_EQ(state.folders.deletedItems->name(), "Trash");
    EXPECT_FALSE(state.folders.quarantine);

    // A quarantine folder in another store is not the one.
    testing::makeMaildir(temp / "work/.KVN Quarantined");
    EXPECT_FALSE(FindWorkFolders(state, *application));
    testing::makeMaildir(temp / "mailbox/.kvn quarantined");
    EXPECT_FALSE(FindWorkFolders(state, *application)) << "the name compares with letter case";
    testing::makeMaildir(temp / "mailbox/.KVN Quarantined");
    EXPECT_TRUE(FindWorkFolders(state, *application));
    EXPECT_EQ(state.folders.quarantine->name(), "KVN Quarantined");
    EXPECT_EQ(state.folders.quarantine->parent()->name(), "Mailbox - Me");

    const outlook::ApplicationPtr noStores = outlook::openMaildirApplication({}, "");
    EngineState empty(ProfileData(temp / "install", "Default", realFileSystem(), clock));
    EXPECT_FALSE(FindWorkFolders(empty, *noStores));
    EXPECT_FALSE(empty.folders.deletedItems);
}

} // namespace
} // namespace kvn
