// kvnctl settings and kvnctl install driven in-process: what they show and
// write agrees with the hive file a person edits, and bad input writes nothing.
#include "lists/registry_root.h"
#include "platform/registry/registry.h"
#include "tools/kvnctl/command.h"

#include "tests/support/environment_guard.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace kvn::kvnctl {
namespace {

using testing::readWholeFile;
using testing::writeWholeFile;

class SettingsCommands : public ::testing::Test {
protected:
    void SetUp() override { setRegistryRoot(productRegistryRoot(registry_.get())); }
    void TearDown() override { setRegistryRoot(productRegistryRoot()); }

    int run(std::vector<std::string> words, GlobalOptions options = {})
    {
        out_.str("");
        err_.str("");
        const std::string group = words.front();
        words.erase(words.begin());
        CommandContext context(options, Arguments(words), out_, err_);
        for (const CommandGroup& candidate : commandGroups()) {
            if (group != candidate.name)
                continue;
            try {
                return candidate.run(context);
            } catch (const UsageError&) {
                return exitUsageError;
            } catch (const CommandFailure& failure) {
                return context.fail(failure.what());
            }
        }
        return -1;
    }

    std::string hive() const { return readWholeFile(folder_ / "HKEY_LOCAL_MACHINE.reg"); }

    testing::TempFolder folder_;
    std::unique_ptr<registry::Registry> registry_ = registry::openFileRegistry(folder_.path());
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(SettingsCommands, SetAndUnsetChangeTheHiveFile)
{
    ASSERT_EQ(run({"settings", "set", "edit_qwreminder", "75"}), exitSuccess);
    ASSERT_EQ(run({"settings", "set", "DefaultInbox", "Work \"mail\""}), exitSuccess);
    EXPECT_NE(hive().find("[HKEY_LOCAL_MACHINE\\Software\\Brindlecraft\\KVN\\Default]\n"
                          "\"Edit_QWReminder\"=dword:0000004b\n"
                          "\"DefaultInbox\"=\"Work \\\"mail\\\"\"\n"),
        std::string::npos)
        << hive();

    ASSERT_EQ(run({"settings", "unset", "Edit_QWReminder"}), exitSuccess);
    EXPECT_EQ(hive().find("Edit_QWReminder"), std::string::npos);
    EXPECT_EQ(run({"settings", "unset", "Edit_QWReminder"}), exitSuccess) << "already gone is no error";
}

TEST_F(SettingsCommands, ShowTellsWhatIsStoredBesideWhatTakesEffect)
{
    writeWholeFile(folder_ / "HKEY_LOCAL_MACHINE.reg",
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Brindlecraft\\KVN\\Work]\n"
        "\"StartUp\"=dword:00000001\n"
        "\"ShowPopup\"=\"1\"\n");
    ASSERT_EQ(run({"settings", "show", "--json"}, GlobalOptions{std::nullopt, "Work"}), exitSuccess);
    const std::string json = out_.str();
    EXPECT_NE(
        json.find("\"key\": \"HKEY_LOCAL_MACHINE\\\\Software\\\\Brindlecraft\\\\KVN\\\\Work\""), std::string::npos)
        << json;
    EXPECT_NE(
        json.find("\"name\": \"StartUp\",\n      \"type\": \"DWORD\",\n      \"stored\": 1,\n      \"effective\": 1,\n"
                  "      \"default\": 0"),
        std::string::npos)
        << json;
    // A DWORD kept as text by hand reads as the text's bytes, as the filter reads it.
    EXPECT_NE(
        json.find("\"stored\": \"1\",\n      \"storedType\": \"REG_SZ\",\n      \"effective\": 49"), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"name\": \"NewsLastDate\",\n      \"type\": \"string\",\n      \"stored\": null,\n"
                        "      \"effective\": \"2000.01.02\""),
        std::string::npos)
        << json;
}

TEST_F(SettingsCommands, RefusesWhatTheOptionCannotHoldAndWritesNothing)
{
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"settings", "set", "Nonsense", "1"},
             {"settings", "set", "StartUp", "-1"},
             {"settings", "set", "StartUp", "4294967296"},
             {"settings", "set", "StartUp", "0x10"},
             {"settings", "set", "StartUp", ""},
             {"settings", "set", "Run", std::string(256, 'x')},
             {"settings", "set", "Install_Dir", "/x"},
             {"settings", "unset", "Nonsense"},
             {"settings", "frobnicate"},
         }) {
        EXPECT_EQ(run(words), exitUsageError) << words[2];
    }
    EXPECT_FALSE(std::filesystem::exists(folder_ / "HKEY_LOCAL_MACHINE.reg"));
    EXPECT_EQ(run({"settings", "set", "Run", std::string(255, 'x')}), exitSuccess);
}

TEST_F(SettingsCommands, AStringWithANulOrControlCharactersIsShownEscaped)
{
    ASSERT_TRUE(registry_->setValue(registry::Hive::LocalMachine, "Software\\Brindlecraft\\KVN\\Default",
        "DefaultInbox", registry::stringValue(std::string("In\\box\0\x1b[2J", 11))));
    ASSERT_EQ(run({"settings", "show"}), exitSuccess);
    const std::string shown = out_.str();
    EXPECT_EQ(shown.find('\0'), std::string::npos);
    EXPECT_EQ(shown.find('\x1b'), std::string::npos);
    EXPECT_NE(shown.find("In\\\\box\\x00\\x1b[2J"), std::string::npos) << shown;
    EXPECT_NE(shown.find("storedEscaped: yes"), std::string::npos) << shown;
    EXPECT_NE(
        hive().find("\"DefaultInbox\"=hex(1):49,00,6e,00,5c,00,62,00,6f,00,78,00,00,00,1b,00,"), std::string::npos)
        << hive();
}

TEST_F(SettingsCommands, InstallRegistersTheNewsPlayerForTheCheckProgram)
{
    testing::TempFolder install;
    ASSERT_EQ(run({"install"}, GlobalOptions{install / "korvane", "Default"}), exitSuccess) << err_.str();
    const std::optional<registry::Value> curVer
        = registry_->queryValue(registry::Hive::ClassesRoot, "ShockwaveFlash.ShockwaveFlash\\CurVer", "", 255);
    ASSERT_TRUE(curVer);
    EXPECT_EQ(curVer->bytes, "ShockwaveFlash.ShockwaveFlash.6");
    EXPECT_TRUE(registry_->keyExists(registry::Hive::ClassesRoot, "ShockwaveFlash.ShockwaveFlash.6"));
    // Installing again changes nothing.
    const std::string before = readWholeFile(folder_ / "HKEY_CLASSES_ROOT.reg");
    ASSERT_EQ(run({"install"}, GlobalOptions{install / "korvane", "Default"}), exitSuccess);
    EXPECT_EQ(readWholeFile(folder_ / "HKEY_CLASSES_ROOT.reg"), before);
}

// A registry folder whose HKEY_LOCAL_MACHINE hive records an installation
// folder, and an empty data home that would hold the default one.
class UnreadableHive : public SettingsCommands {
protected:
    void SetUp() override
    {
        SettingsCommands::SetUp();
        std::filesystem::create_directories(recorded_);
        ASSERT_EQ(run({"install"}, GlobalOptions{recorded_, "Default"}), exitSuccess);
    }
    std::string hivePath() const { return folder_ / "HKEY_LOCAL_MACHINE.reg"; }
    bool anythingWritten() const
    {
        return std::filesystem::exists(dataHome_ / "korvane") || !std::filesystem::is_empty(recorded_);
    }

    testing::TempFolder dataHome_;
    const testing::EnvironmentGuard dataHomeSet_{"XDG_DATA_HOME", dataHome_.path()};
    const std::string recorded_ = folder_ / "recorded";
};

TEST_F(UnreadableHive, AFolderInItsPlaceFailsEveryCommandWithTheReasonAndWritesNothing)
{
    std::filesystem::remove(hivePath());
    std::filesystem::create_directory(hivePath());
    const std::string why = hivePath() + ": it is a folder, not a regular file";
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"lists", "add", "--white", "domain", "example.org"},
             {"lists", "show"},
             {"settings", "show"},
             {"settings", "set", "StartUp", "1"},
             {"settings", "unset", "StartUp"},
         }) {
        EXPECT_EQ(run(words), exitFileError) << words[1];
        EXPECT_NE(err_.str().find(why), std::string::npos) << err_.str();
    }
    EXPECT_FALSE(anythingWritten());
    EXPECT_TRUE(std::filesystem::is_empty(hivePath()));
}

TEST_F(UnreadableHive, OneItsUserMayNotReadFailsAndNothingIsWrittenAnywhere)
{
    testing::handOver(folder_.path());
    testing::handOver(dataHome_.path());
    ASSERT_EQ(::chmod(hivePath().c_str(), 0), 0);
    const testing::UnprivilegedRun added = testing::runUnprivileged([&] {
        const int status = run({"lists", "add", "--white", "domain", "example.org"});
        const std::string listed = err_.str();
        const int set = run({"settings", "set", "StartUp", "1"});
        return std::to_string(status) + " " + std::to_string(set) + " " + listed + err_.str();
    });
    ASSERT_TRUE(added.ran) << added.failure;
    EXPECT_TRUE(added.output.starts_with("1 1 ")) << added.output;
    EXPECT_NE(added.output.find("Cannot open " + hivePath() + ": Permission denied"), std::string::npos)
        << added.output;
    EXPECT_FALSE(anythingWritten());
}

TEST_F(SettingsCommands, InstallWritesInstallDirAndMakesTheFolder)
{
    const std::string installDir = folder_ / "share/korvane";
    ASSERT_EQ(run({"install"}, GlobalOptions{installDir, "Default"}), exitSuccess);
    EXPECT_TRUE(std::filesystem::is_directory(installDir));
    EXPECT_NE(
        hive().find("[HKEY_LOCAL_MACHINE\\Software\\Brindlecraft\\KVN]\n\"Install_Dir\"=\"" + installDir + "\"\n"),
        std::string::npos)
        << hive();
}

} // namespace
} // namespace kvn::kvnctl
