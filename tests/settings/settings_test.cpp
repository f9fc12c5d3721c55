// The options through the four registry operations, over a real registry
// folder: defaults, types, lengths, and the rules of `Settings`.
#include "lists/registry_root.h"
#include "lists/settings.h"
#include "lists/settings_table.h"

#include "platform/registry/registry.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_folder.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <locale>
#include <sstream>

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

// The options table as the options are documented: every value of a
// profile's key with its type and its default when missing.
struct DocumentedDefault {
    std::string_view name;
    SettingType type;
    std::uint32_t dword;
    std::string_view text;
};
constexpr DocumentedDefault documentedDefaults[] = {
    {"Run", SettingType::String, 0, ""},
    {"StartUp", SettingType::Dword, 0, ""},
    {"ShowPopup", SettingType::Dword, 1, ""},
    {"ShowQWnd", SettingType::Dword, 1, ""},
    {"ProcessQWndMails", SettingType::Dword, 0, ""},
    {"Show_QWReminder", SettingType::Dword, 0, ""},
    {"Edit_QWReminder", SettingType::Dword, 50, ""},
    {"Combo_QWReminder", SettingType::Dword, 0, ""},
    {"AutoClean", SettingType::Dword, 1000, ""},
    {"RemoveBlackAfter", SettingType::Dword, 1, ""},
    {"NotExceedBlack", SettingType::Dword, 100, ""},
    {"SameSender", SettingType::Dword, 1, ""},
    {"Ip2Country", SettingType::Dword, 0, ""},
    {"UseLogging", SettingType::Dword, 0, ""},
    {"StopTime", SettingType::String, 0, "30000.0"},
    {"DefaultInbox", SettingType::String, 0, ""},
    {"NewsLastDate", SettingType::String, 0, "2000.01.02"},
};

TEST_F(SettingsTest, AMissingProfileKeyGivesEveryDocumentedDefaultAndTheFirstWriteCreatesIt)
{
    const Settings settings = readSettings("");
    EXPECT_FALSE(settings.useLogging);
    EXPECT_DOUBLE_EQ(settings.lastStopTime, 30000.0);
    EXPECT_TRUE(settings.sameSender);
    EXPECT_FALSE(settings.processQuarantined);
    EXPECT_FALSE(settings.useCountry);
    EXPECT_EQ(settings.reminderThreshold, -1);
    ASSERT_EQ(profileSettings().size(), std::size(documentedDefaults));
    for (std::size_t i = 0; i < profileSettings().size(); ++i) {
        const SettingDefinition& definition = profileSettings()[i];
        const DocumentedDefault& documented = documentedDefaults[i];
        EXPECT_EQ(definition.name, documented.name) << "the table keeps the documented order";
        EXPECT_EQ(definition.type, documented.type) << documented.name;
        if (documented.type == SettingType::Dword) {
            EXPECT_EQ(definition.dwordDefault, documented.dword) << documented.name;
            // Read with a fallback no default has, so that only the table's default can come back.
            EXPECT_EQ(readDword("Default", documented.name, 0xA5A5A5A5), 0xA5A5A5A5) << "nothing is stored";
        } else {
            EXPECT_EQ(definition.stringDefault, documented.text) << documented.name;
            EXPECT_EQ(readString("Default", documented.name, "\x01"), "\x01") << "nothing is stored";
        }
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

// A decimal comma for C++ streams, as a German or French locale has.
struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// Switches the C and C++ locales of the process to ones with a decimal comma
// for its life and puts the previous ones back. The C library's part needs
// such a locale installed; without one, only the C++ part changes.
class CommaLocale {
public:
    CommaLocale() : previousGlobal_(std::locale::global(std::locale(std::locale::classic(), new CommaDecimals)))
    {
        previousC_ = std::setlocale(LC_NUMERIC, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr) {
                cSwitched_ = true;
                break;
            }
        }
    }
    ~CommaLocale()
    {
        std::setlocale(LC_NUMERIC, previousC_.c_str());
        std::locale::global(previousGlobal_);
    }
    bool cSwitched() const { return cSwitched_; }

private:
    std::locale previousGlobal_;
    std::string previousC_;
    bool cSwitched_ = false;
};

TEST_F(SettingsTest, StopTimeIsADecimalNumberWhateverTheLocale)
{
    const CommaLocale comma;
    std::ostringstream shown;
    shown << 1.5;
    ASSERT_EQ(shown.str(), "1,5") << "the locale did not switch";
    if (!comma.cSwitched())
        RecordProperty("locale", "no locale with a decimal comma installed: only the C++ locale switched");
    else
        ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));

    ASSERT_TRUE(writeString("Default", setting::StopTime, formatStopTime(38000.25)));
    EXPECT_EQ(readString("Default", setting::StopTime, ""), "38000.25000000000000000000");
    EXPECT_DOUBLE_EQ(readSettings("").lastStopTime, 38000.25);
    EXPECT_DOUBLE_EQ(parseStopTime("38000,25"), 38000.0) << "a comma ends the number, whatever the locale";
    ASSERT_TRUE(writeString("Default", setting::StopTime, "yesterday"));
    EXPECT_DOUBLE_EQ(readSettings("").lastStopTime, 30000.0);
}

TEST_F(SettingsTest, AnEmptySubKeyIsTheProductKeyWithInstallDir)
{
    const testing::EnvironmentGuard dataHome("XDG_DATA_HOME", "/home/someone/.local/share");
    EXPECT_EQ(readInstallDir(), "/home/someone/.local/share/korvane");
    ASSERT_TRUE(writeString("", setting::InstallDir, "/opt/korvane"));
    EXPECT_EQ(registry_->queryValue(Hive::LocalMachine, "Software\\Brindlecraft\\KVN", "Install_Dir", 255)->bytes,
        "/opt/korvane");
    EXPECT_EQ(readInstallDir(), "/opt/korvane");
}

TEST_F(SettingsTest, AHiveThatCannotBeReadIsReportedAndNeverWritten)
{
    EXPECT_TRUE(optionsReadStatus().ok());
    const std::string hive = folder_ / "HKEY_LOCAL_MACHINE.reg";
    std::filesystem::create_directory(hive);
    EXPECT_EQ(optionsReadStatus().error(), "Not opening " + hive + ": it is a folder, not a regular file");
    EXPECT_EQ(readDword("Default", setting::EditQWReminder, 50), 50u) << "the four operations still give defaults";
    EXPECT_FALSE(writeDword("Default", setting::EditQWReminder, 7));
    EXPECT_NE(optionsWriteStatus().error().find(hive + ": it is a folder"), std::string::npos)
        << optionsWriteStatus().error();
    EXPECT_TRUE(std::filesystem::is_empty(hive));
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
