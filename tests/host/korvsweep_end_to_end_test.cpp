// Removing Korvane as a user does, with the real programs: kvnctl uninstall
// (or regsvr32) registers the clean-up add-in, the next korvane --headless
// --once loads it, it deletes the bar "KVN" and has regsvr32 unregister it,
// and the start after that loads nothing of it.
#include "tests/host/korvhub_fixture.h"

#include <csignal>
#include <filesystem>

namespace kvn::testing {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* sweepClsid = "{7C7F21EA-767F-477F-8600-6E31EFAF9ADD}";
constexpr const char* kvnBarValue = "\"KVN\"=hex";

class KorvsweepEndToEnd : public KorvhubEndToEnd {
protected:
    KorvsweepEndToEnd() { std::filesystem::copy_file(KVN_KORVSWEEP, korvsweep()); }

    std::string korvsweep() const { return temp / "system/libKorvsweep.so"; }
    std::string user() const { return hive("HKEY_CURRENT_USER"); }
    std::string classes() const { return hive("HKEY_CLASSES_ROOT"); }

    // The program the clean-up add-in starts at its disconnection.
    EnvironmentGuard cleanUpRegsvr32{"KORVANE_REGSVR32", KVN_REGSVR32};

    // Nothing of the clean-up add-in is left in the registry.
    void expectCleanUpGone() const
    {
        EXPECT_THAT(user(), Not(HasSubstr("Korvsweep")));
        EXPECT_THAT(classes(), Not(HasSubstr("Korvsweep")));
        EXPECT_THAT(classes(), Not(HasSubstr("7C7F21EA")));
        EXPECT_THAT(classes(), Not(HasSubstr("6C957C9C")));
    }
};

TEST_F(KorvsweepEndToEnd, WithoutABarOneStartUnregistersItAndTheNextLoadsNothing)
{
    const Finished registered = regsvr32({"/s", korvsweep()});
    ASSERT_EQ(registered.status, 0) << registered.error;
    const std::string clsid = std::string("[HKEY_CLASSES_ROOT\\CLSID\\") + sweepClsid;
    EXPECT_THAT(classes(), HasSubstr("[HKEY_CLASSES_ROOT\\Korvsweep.Addin.1\\CLSID]\n@=\"" + std::string(sweepClsid)));
    EXPECT_THAT(classes(), HasSubstr("[HKEY_CLASSES_ROOT\\Korvsweep.Addin\\CurVer]\n@=\"Korvsweep.Addin.1\""));
    EXPECT_THAT(
        classes(), HasSubstr(clsid + "\\InprocServer32]\n@=\"" + korvsweep() + "\"\n\"ThreadingModel\"=\"Apartment\""));
    EXPECT_THAT(classes(), HasSubstr(clsid + "\\TypeLib]\n@=\"{6C957C9C-3470-4AC4-9507-61F9F690C5F5}\""));
    EXPECT_THAT(classes(), HasSubstr("Korvsweep 1.0 Type Library"));
    EXPECT_THAT(user(),
        ContainsRegex("Addins\\\\Korvsweep\\.Addin\\]\n\"FriendlyName\"=\"Korvsweep\"\n"
                      "\"Description\"=\"ATLCOM Outlook Addin\"\n\"LoadBehavior\"=dword:00000010\n"
                      "\"CommandLineSafe\"=dword:00000000"));

    once();
    expectCleanUpGone();
    EXPECT_TRUE(std::filesystem::exists(korvsweep())) << "the module file stays";
    const std::string before = user() + classes();
    once();
    EXPECT_EQ(user() + classes(), before);
}

TEST_F(KorvsweepEndToEnd, UninstallLeavesTheDataAndTheNextStartDeletesTheBarAndTheCleanUpAddin)
{
    prepare();
    ASSERT_THAT(user(), HasSubstr(kvnBarValue)) << "the first start built the bar";
    const std::string out = temp / "uninstall.json";
    const Finished uninstalled = runToEnd("/bin/sh",
        {"-c", "\"$0\" --install-dir \"$1\" uninstall --json > \"$2\"", KVN_KVNCTL, installDir(), out},
        temp / "kvnctl.err");
    ASSERT_EQ(uninstalled.status, 0) << uninstalled.error;
    EXPECT_THAT(readWholeFile(out), HasSubstr("\"cleanUpAddin\": \"" + korvsweep() + "\""));
    EXPECT_THAT(user(), Not(HasSubstr("Korvhub")));
    EXPECT_THAT(classes(), Not(HasSubstr("Korvhub")));
    EXPECT_THAT(user(), HasSubstr("\\Addins\\Korvsweep.Addin]"));
    EXPECT_THAT(user(), HasSubstr(kvnBarValue)) << "the bar goes only when the host starts";

    once();
    EXPECT_THAT(user(), Not(HasSubstr(kvnBarValue)));
    expectCleanUpGone();

    // Nothing filters any more: a stranger's mail stays where it landed.
    arrive("1.stranger", "Stranger <someone@unknown.example>");
    once();
    EXPECT_EQ(whereIs("1.stranger"), "");
    EXPECT_THAT(listsShown(), ContainsRegex("white +e-mail address +Friend +friend@example\\.org"));
}

TEST_F(KorvsweepEndToEnd, AModuleOutsideTheSystemFolderDeletesTheBarButStaysRegistered)
{
    prepare();
    ASSERT_EQ(regsvr32({"/u", "/s", korvhub()}).status, 0);
    const std::string elsewhere = temp / "elsewhere/libKorvsweep.so";
    std::filesystem::create_directories(temp / "elsewhere");
    std::filesystem::rename(korvsweep(), elsewhere);
    ASSERT_EQ(regsvr32({"/s", elsewhere}).status, 0);

    once();
    EXPECT_THAT(user(), Not(HasSubstr(kvnBarValue)));
    // regsvr32 was named the missing system-folder module: the keys stay,
    // and the host set LoadBehavior to 0 after its one load.
    EXPECT_THAT(classes(), HasSubstr("@=\"" + elsewhere + "\""));
    EXPECT_THAT(user(), ContainsRegex("Addins\\\\Korvsweep\\.Addin\\][^[]*\"LoadBehavior\"=dword:00000000"));
}

TEST_F(KorvsweepEndToEnd, UninstallThenReinstallFiltersWithTheOldLists)
{
    prepare();
    ASSERT_EQ(kvnctl({"uninstall"}).status, 0);
    once();
    ASSERT_EQ(kvnctl({"install"}).status, 0);
    ASSERT_EQ(regsvr32({"/s", korvhub()}).status, 0);

    arrive("1.friend", "Friend <friend@example.org>");
    arrive("2.stranger", "Stranger <someone@unknown.example>");
    arrive("3.spammer", "Spammer <spammer@bad.example>");
    once();
    EXPECT_EQ(whereIs("1.friend"), "");
    EXPECT_EQ(whereIs("2.stranger"), ".KVN Quarantined");
    EXPECT_EQ(whereIs("3.spammer"), ".Trash");
    EXPECT_THAT(user(), HasSubstr(kvnBarValue)) << "the bar is back";
}

TEST_F(KorvsweepEndToEnd, UninstallIsRefusedWhileTheHostRuns)
{
    prepare();
    const auto host = startHost();
    ASSERT_TRUE(waitUntilWatching()) << host->errorOutput();
    const Finished refused = kvnctl({"uninstall", "--purge"});
    EXPECT_EQ(refused.status, 4);
    EXPECT_THAT(refused.error, HasSubstr("korvane"));
    EXPECT_THAT(refused.error, HasSubstr("nothing was removed"));
    EXPECT_THAT(user(), HasSubstr("Korvhub.Addin"));
    EXPECT_THAT(user(), Not(HasSubstr("Korvsweep")));
    EXPECT_TRUE(std::filesystem::exists(installDir() + "/Default/lists.lst"));
    host->signal(SIGTERM);
    EXPECT_EQ(host->wait(), 0);
}

TEST_F(KorvsweepEndToEnd, PurgeNamesAndDeletesOnlyKorvanesOwnFiles)
{
    prepare();
    const std::string profileFolder = installDir() + "/Default";
    writeWholeFile(profileFolder + "/lists.lst.damaged.1", "a copy kept beside a damaged file");
    writeWholeFile(installDir() + "/IP2C.mdb", "database");
    // Not Korvane's: the user's note in a profileFolder folder, and a link to a folder
    // elsewhere that looks like a profileFolder folder.
    std::filesystem::create_directories(installDir() + "/Notes");
    writeWholeFile(installDir() + "/Notes/todo.txt", "mine");
    std::filesystem::create_directories(temp / "foreign");
    writeWholeFile(temp / "foreign/lists.lst", "not to be deleted through a link");
    std::filesystem::create_directory_symlink(temp / "foreign", installDir() + "/Linked");
    writeWholeFile(profileFolder + "/notes.txt", "mine too");
    const auto mailBefore = std::distance(
        std::filesystem::recursive_directory_iterator(inbox()), std::filesystem::recursive_directory_iterator());
    ASSERT_THAT(hive("HKEY_LOCAL_MACHINE"), HasSubstr("Brindlecraft\\KVN]"));

    const std::string out = temp / "purge.txt";
    const Finished purged = runToEnd("/bin/sh",
        {"-c", "\"$0\" --install-dir \"$1\" uninstall --purge > \"$2\"", KVN_KVNCTL, installDir(), out},
        temp / "kvnctl.err");
    ASSERT_EQ(purged.status, 0) << purged.error;
    const std::string said = readWholeFile(out);
    for (const std::string& path : {profileFolder + "/lists.lst", profileFolder + "/lists.lst.damaged.1",
             profileFolder + "/Statistics.kvn", profileFolder + "/kvn.lock", installDir() + "/IP2C.mdb"}) {
        EXPECT_THAT(said, HasSubstr(path));
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }
    EXPECT_THAT(said, HasSubstr("HKEY_LOCAL_MACHINE\\Software\\Brindlecraft\\KVN"));
    EXPECT_THAT(hive("HKEY_LOCAL_MACHINE"), Not(HasSubstr("Brindlecraft\\KVN]")));
    EXPECT_EQ(readWholeFile(profileFolder + "/notes.txt"), "mine too");
    EXPECT_EQ(readWholeFile(installDir() + "/Notes/todo.txt"), "mine");
    EXPECT_EQ(readWholeFile(temp / "foreign/lists.lst"), "not to be deleted through a link");
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(inbox()),
                  std::filesystem::recursive_directory_iterator()),
        mailBefore);
    // The host's own profile keys (its stores, its bars) stay for the clean-up add-in.
    EXPECT_THAT(user(), HasSubstr(kvnBarValue));
    once();
    EXPECT_THAT(user(), Not(HasSubstr(kvnBarValue)));
    expectCleanUpGone();
}

} // namespace
} // namespace kvn::testing
