// The options through the four registry operations, over a real registry
// folder: defaults, types, lengths, and the rules of `Settings`.
#include "lists/registry_root.h"
#include "lists/settings.h"
#include "lists/settings_table.h"

#include "platform/registry/registry.h"
#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace kvn {
namespace {

using registry::Hive;

constexpr std::string_view profileKey = "Software\\Brindlecraft\\KVN\\Default";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { setRegistryRoot(productRegistryRoot(registry_.get())); }
    void TearDown() override { setRegistryRoot(productRegistryRoot()); }

    void store(std::string_view name, registry::Value value)
    {
        ASSERT_TRUE(registry_->setValue(Hive::LocalMachine, profileKey, name, value));
    }

    testing::TempFolder folder_;
    std::unique_ptr<registry::Registry> registry_ = registry::openFileRegistry(folder_.path());
};

TEST_F(SettingsTest, AMissingProfileKeyGivesEveryDefaultAndTheFirstWriteCreatesIt)
{
    const Settings settings = readSettings("");
    EXPECT_FALSE(settings.useLogging);
    EXPECT_DOUBLE_EQ(settings.lastStopTime, 30000.0);
    EXPECT_TRUE(settings.sameSender);
    EXPECT_FALSE(settings.processQuarantined);
    EXPECT_FALSE(settings.useCountry);
    EXPECT_EQ(settings.reminderThreshold, -1);
    for (const SettingDefinition& definition : profileSettings()) {
        if (definition.type == SettingType::Dword)
            EXPECT_EQ(readDword("Default", definition.name, definition.dwordDefault), definition.dwordDefault)
                << definition.name;
        else
            EXPECT_EQ(readString("Default", definition.name, definition.stringDefault), definition.stringDefault)
                << definition.name;
    }
    EXPECT_FALSE(registry_->keyExists(Hive::LocalMachine, profileKey)) << "reading creates nothing";

    ASSERT_TRUE(writeDword(profileSubKey(""), setting::UseLogging, 1));
    EXPECT_TRUE(registry_->keyExists(Hive::LocalMachine, profileKey));
    EXPECT_TRUE(readSettings("").useLogging);
    EXPECT_FALSE(readSettings("Other").useLogging) << "each profile has its own key";
}

TEST_F(SettingsTest, ReadsAndWritesStoreTheTypesAndBytesOfTheOriginal)
{
    ASSERT_TRUE(writeString("Default", setting::Run, "01.02.2004"));
    ASSERT_TRUE(writeDword("Default", setting::EditQWReminder, 75));
    const auto run = registry_->queryValue(Hive::LocalMachine, profileKey, "Run", 255);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->type, static_cast<std::uint32_t>(registry::ValueType::String));
    EXPECT_EQ(run->bytes, "01.02.2004") << "the byte count is the length without a NUL";
    EXPECT_EQ(registry_->queryValue(Hive::LocalMachine, profileKey, "Edit_QWReminder", 4)->type,
        static_cast<std::uint32_t>(registry::ValueType::Dword));
    EXPECT_EQ(readString("Default", "run", ""), "01.02.2004");
    EXPECT_EQ(readDword("Default", "EDIT_QWREMINDER", 0), 75u);
}

TEST_F(SettingsTest, ADwordStoredWithAnotherTypeReadsAsItsFirstFourBytes)
{
    store("StartUp", registry::stringValue("1234567"));
    EXPECT_EQ(readDword("Default", "StartUp", 0), 0x34333231u);
    // Fewer than four bytes overwrite only the low bytes of the default.
    store("ShowPopup", registry::Value{3, "\x02"});
    EXPECT_EQ(readDword("Default", "ShowPopup", 0x11223344), 0x11223302u);
    store("ShowQWnd", registry::Value{3, ""});
    EXPECT_EQ(readDword("Default", "ShowQWnd", 1), 1u);
}

TEST_F(SettingsTest, StringsEndAtTheirFirstNulAndLongOnesReadAsTheDefault)
{
    store("DefaultInbox", registry::Value{1, std::string("Inbox\0junk", 10)});
    EXPECT_EQ(readString("Default", "DefaultInbox", "x"), "Inbox");

    const std::string longest(255, 'a');
    ASSERT_TRUE(writeString("Default", "DefaultInbox", longest));
    EXPECT_EQ(readString("Default", "DefaultInbox", "x"), longest);
    store("DefaultInbox", registry::stringValue(std::string(256, 'b')));
    EXPECT_EQ(readString("Default", "DefaultInbox", "x"), "x");

    EXPECT_FALSE(writeString("Default", "NewsLastDate", std::string(256, 'c'))) << "it could never be read back";
    EXPECT_EQ(readString("Default", "NewsLastDate", "2000.01.02"), "2000.01.02");
}

TEST_F(SettingsTest, AutoCleanAboveThirtyMeansOff)
{
    const auto storedDays = [](std::uint32_t stored) {
        EXPECT_TRUE(writeDword("Default", setting::AutoClean, stored));
        return autoCleanDays(readDword("Default", setting::AutoClean, autoCleanOff));
    };
    EXPECT_EQ(storedDays(30), 30u);
    EXPECT_EQ(storedDays(0), 0u) << "deletion on the day of receipt";
    EXPECT_FALSE(storedDays(31));
    EXPECT_FALSE(autoCleanDays(autoCleanOff));
    EXPECT_FALSE(autoCleanDays(0xFFFFFFFFu)) << "a negative number written by hand is off too";
    ASSERT_TRUE(registry_->deleteValue(Hive::LocalMachine, profileKey, "AutoClean"));
    EXPECT_FALSE(autoCleanDays(readDword("Default", setting::AutoClean, autoCleanOff))) << "off by default";
}

TEST_F(SettingsTest, TheReminderThresholdNeedsTheReminderSwitchedOn)
{
    ASSERT_TRUE(writeDword("Work", setting::EditQWReminder, 20));
    EXPECT_EQ(readSettings("Work").reminderThreshold, -1);
    ASSERT_TRUE(writeDword("Work", setting::ShowQWReminder, 1));
    EXPECT_EQ(readSettings("Work").reminderThreshold, 20);
    ASSERT_TRUE(writeDword("Work", setting::ShowQWReminder, 2));
    EXPECT_EQ(readSettings("Work").reminderThreshold, -1) << "only 1 switches it on";
}

TEST_F(SettingsTest, StopTimeIsADecimalNumberWhateverTheLocale)
{
    ASSERT_TRUE(writeString("Default", setting::StopTime, formatStopTime(38000.25)));
    EXPECT_EQ(readString("Default", setting::StopTime, ""), "38000.25000000000000000000");
    EXPECT_DOUBLE_EQ(readSettings("").lastStopTime, 38000.25);
    ASSERT_TRUE(writeString("Default", setting::StopTime, "yesterday"));
    EXPECT_DOUBLE_EQ(readSettings("").lastStopTime, 30000.0);
}

TEST_F(SettingsTest, AnEmptySubKeyIsTheProductKeyWithInstallDir)
{
    ::setenv("XDG_DATA_HOME", "/home/someone/.local/share", 1);
    EXPECT_EQ(readInstallDir(), "/home/someone/.local/share/korvane");
    ASSERT_TRUE(writeString("", setting::InstallDir, "/opt/korvane"));
    EXPECT_EQ(registry_->queryValue(Hive::LocalMachine, "Software\\Brindlecraft\\KVN", "Install_Dir", 255)->bytes,
        "/opt/korvane");
    EXPECT_EQ(readInstallDir(), "/opt/korvane");
    ::unsetenv("XDG_DATA_HOME");
}

TEST(SettingsTable, NamesAreFoundWithoutRegardToCase)
{
    ASSERT_NE(findProfileSetting("show_qwreminder"), nullptr);
    EXPECT_EQ(findProfileSetting("show_qwreminder")->name, "Show_QWReminder");
    EXPECT_EQ(findProfileSetting("Install_Dir"), nullptr) << "a value of the product key, not the profile's";
    EXPECT_EQ(findProfileSetting("Nonsense"), nullptr);
    EXPECT_EQ(profileSettings().size(), 17u);
}

} // namespace
} // namespace kvn
