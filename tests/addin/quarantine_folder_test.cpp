// The quarantine folder and its Outlook-bar shortcut, over a real Maildir
// store and a real registry folder; and the bar's groups as stored.
#include "addin/work_folders.h"

#include "platform/outlook/outlook_bar_store.h"
#include "tests/outlook/maildir_fixture.h"
#include "tests/support/temp_folder.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kvn {
namespace {

using registry::Hive;
using ::testing::ElementsAre;

class QuarantineFolderTest : public ::testing::Test {
protected:
    QuarantineFolderTest() { testing::makeMaildir(root()); }

    std::string root() const { return temp / "mail"; }
    outlook::ApplicationPtr open()
    {
        return outlook::openMaildirApplication({testing::storeAt(root())}, "Default", *registry);
    }

    std::shared_ptr<outlook::OutlookBarShortcuts> firstGroupShortcuts(outlook::Application& application)
    {
        auto groups
            = application.activeExplorer()->panes()->item("OutlookBar")->asOutlookBarPane()->contents()->groups();
        return groups->item(1)->shortcuts();
    }

    std::vector<std::string> shortcutNames(outlook::Application& application)
    {
        std::vector<std::string> names;
        const auto shortcuts = firstGroupShortcuts(application);
        for (std::size_t i = 1; i <= shortcuts->count(); ++i)
            names.push_back(shortcuts->item(i)->name());
        return names;
    }

    testing::TempFolder temp;
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
};

TEST_F(QuarantineFolderTest, AFreshProfileHasOneGroupWithInboxSentItemsAndDeletedItems)
{
    const outlook::ApplicationPtr application = open();
    const auto groups
        = application->activeExplorer()->panes()->item("OutlookBar")->asOutlookBarPane()->contents()->groups();
    ASSERT_EQ(groups->count(), 1u);
    EXPECT_EQ(groups->item(1)->name(), "Outlook Shortcuts");
    EXPECT_THAT(shortcutNames(*application), ElementsAre("Inbox", "Sent Items", "Deleted Items"));
    const auto inbox = firstGroupShortcuts(*application)->item(1)->target();
    ASSERT_TRUE(inbox);
    EXPECT_EQ(inbox->name(), "Inbox");
    EXPECT_FALSE(registry->keyExists(Hive::CurrentUser, outlook::outlookBarKey("Default"))) << "nothing written yet";
    EXPECT_FALSE(application->activeExplorer()->panes()->item("outlookbar")) << "pane names compare with letter case";
}

TEST_F(QuarantineFolderTest, TheFolderIsMadeOnceWithItsShortcutThirdInTheFirstGroup)
{
    const outlook::ApplicationPtr application = open();
    ASSERT_TRUE(CreateQuarantineFolder(*application));
    EXPECT_TRUE(std::filesystem::is_directory(root() + "/.KVN Quarantined/cur"));
    EXPECT_THAT(shortcutNames(*application), ElementsAre("Inbox", "Sent Items", "KVN Quarantined", "Deleted Items"));
    const auto target = firstGroupShortcuts(*application)->item(3)->target();
    ASSERT_TRUE(target);
    EXPECT_EQ(target->entryId(), target->parent()->folders()->item("KVN Quarantined")->entryId());

    ASSERT_TRUE(CreateQuarantineFolder(*application));
    EXPECT_EQ(firstGroupShortcuts(*application)->count(), 4u) << "a second call adds no shortcut";

    // Stored in the profile's registry key: another session sees the same bar.
    const outlook::ApplicationPtr later = open();
    EXPECT_THAT(shortcutNames(*later), ElementsAre("Inbox", "Sent Items", "KVN Quarantined", "Deleted Items"));
    const auto stored = outlook::loadOutlookBarGroups(*registry, "Default", {});
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].shortcuts[2],
        (outlook::OutlookBarShortcutRecord{"KVN Quarantined", {"Personal Folders", "KVN Quarantined"}}));
}

TEST_F(QuarantineFolderTest, WithoutAnExplorerTheFolderIsMadeButTheCallFails)
{
    const outlook::ApplicationPtr windowless = outlook::openMaildirApplication({testing::storeAt(root())}, "Default");
    EXPECT_FALSE(CreateQuarantineFolder(*windowless));
    EXPECT_TRUE(std::filesystem::is_directory(root() + "/.KVN Quarantined")) << "the folder made stays";
    EXPECT_TRUE(CreateQuarantineFolder(*windowless)) << "found the next time";
    EXPECT_FALSE(CreateQuarantineFolder(*outlook::openMaildirApplication({}, "Default"))) << "no store";
}

TEST_F(QuarantineFolderTest, ShortcutsGoWhereTheyAreAskedForAndFolderPathsKeepEveryName)
{
    const outlook::ApplicationPtr application = open();
    const auto shortcuts = firstGroupShortcuts(*application);
    const outlook::FolderPtr top = application->getNamespace("MAPI")->folders()->getFirst();
    const outlook::FolderPtr odd = top->folders()->add("A/B\\C", outlook::olFolderInbox);
    ASSERT_TRUE(odd);
    EXPECT_TRUE(shortcuts->add(odd, "Odd", 1));
    EXPECT_TRUE(shortcuts->add(odd, "Last", 99));
    EXPECT_FALSE(shortcuts->add(nullptr, "None", 1));
    EXPECT_FALSE(shortcuts->add(odd, "", 1));
    EXPECT_THAT(shortcutNames(*application), ElementsAre("Odd", "Inbox", "Sent Items", "Deleted Items", "Last"));
    const auto target = shortcuts->item(1)->target();
    ASSERT_TRUE(target);
    EXPECT_EQ(target->name(), "A/B\\C");

    EXPECT_EQ(outlook::formatFolderPath({"Store", "A/B\\C"}), "Store/A\\/B\\\\C");
    EXPECT_THAT(outlook::parseFolderPath("Store/A\\/B\\\\C"), ElementsAre("Store", "A/B\\C"));
    // A folder that is gone leaves its shortcut without a target.
    ASSERT_TRUE(shortcuts->add(top->folders()->add("Gone", outlook::olFolderInbox), "Gone", 1));
    std::filesystem::remove_all(root() + "/.Gone");
    EXPECT_EQ(shortcuts->item(1)->name(), "Gone");
    EXPECT_FALSE(shortcuts->item(1)->target());
}

TEST_F(QuarantineFolderTest, StoredGroupsThatMakeNoSenseReadAsWhatCanBeRead)
{
    const std::string key = outlook::outlookBarKey("Default");
    ASSERT_TRUE(registry->setValue(Hive::CurrentUser, key + "\\1", "Name", registry::stringValue("Odd")));
    ASSERT_TRUE(registry->setValue(
        Hive::CurrentUser, key + "\\1", "Shortcuts", registry::Value{7, std::string("A\0Store/A\0B\0", 13)}));
    ASSERT_TRUE(registry->setValue(Hive::CurrentUser, key + "\\2", "Shortcuts", registry::stringValue("not a list")));
    ASSERT_TRUE(registry->setValue(Hive::CurrentUser, key + "\\3", "Shortcuts", registry::Value{7, std::string()}));
    ASSERT_TRUE(registry->setValue(
        Hive::CurrentUser, key + "\\4", "Shortcuts", registry::Value{7, std::string(1024 * 1024 + 1, 'x')}));

    const auto groups = outlook::loadOutlookBarGroups(*registry, "Default", {});
    ASSERT_EQ(groups.size(), 4u);
    EXPECT_EQ(groups[0], (outlook::OutlookBarGroupRecord{"Odd", {{"A", {"Store", "A"}}}}))
        << "a name without a path is dropped";
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_TRUE(groups[i].shortcuts.empty()) << i;

    // A shortcut whose folder does not exist has no target.
    const outlook::ApplicationPtr application = open();
    EXPECT_FALSE(firstGroupShortcuts(*application)->item(1)->target());
}

} // namespace
} // namespace kvn
