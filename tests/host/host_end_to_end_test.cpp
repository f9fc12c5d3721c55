// The host and regsvr32 as a user runs them: regsvr32 registers the test
// add-in, korvane --headless loads it and raises its events, signals end it.
#include "tests/host/host_fixture.h"

#include <algorithm>
#include <csignal>

namespace kvn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

using HostEndToEnd = HostFixture;

TEST_F(HostEndToEnd, RegisteredAddinConnectsGetsNewMailAndIsDisconnectedBySigterm)
{
    const Finished registered = regsvr32({recorderModule()});
    ASSERT_EQ(registered.status, 0) << registered.error;
    EXPECT_THAT(registered.error, HasSubstr("DllRegisterServer in " + recorderModule() + " succeeded."));

    const auto host = startHost();
    ASSERT_TRUE(waitForLine(log(), "OnStartupComplete")) << host->errorOutput();
    deliver("1700000000.M1P1.test", "Arrived while running");
    ASSERT_TRUE(waitForLine(log(), "NewMail")) << host->errorOutput();
    host->signal(SIGTERM);
    EXPECT_EQ(host->wait(), 0);
    EXPECT_THAT(linesOf(log()),
        ElementsAre(
            "OnConnection 1", "bar added", "OnStartupComplete", "NewMail", "OnBeginShutdown", "OnDisconnection 0"));
}

TEST_F(HostEndToEnd, MailArrivingWhileTheAddinsConnectIsRaisedAsNewMailOnceTheyAre)
{
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    EnvironmentGuard deliverer{"KVN_TEST_ADDIN_DELIVER_TO", inbox()};
    const auto host = startHost();
    ASSERT_TRUE(waitForLine(log(), "NewMail")) << host->errorOutput();
    host->signal(SIGTERM);
    EXPECT_EQ(host->wait(), 0);
}

TEST_F(HostEndToEnd, AMissingOrBrokenStoreIsNamedAndOnceFails)
{
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    std::filesystem::remove_all(inbox());
    writeWholeFile(inbox(), "not a mailbox\n");
    const Finished once = runHostOnce();
    EXPECT_EQ(once.status, 1);
    EXPECT_THAT(once.error, HasSubstr("KVN Host"));
    EXPECT_THAT(once.error, HasSubstr("has no mail store: add one with")) << once.error;

    std::filesystem::remove(inbox());
    for (const char* part : {"cur", "new"})
        std::filesystem::create_directories(inbox() + "/" + part);
    EXPECT_THAT(runHostOnce().error, HasSubstr("is not a Maildir: it has no tmp/ folder"));
}

TEST_F(HostEndToEnd, SigintDisconnectsLikeSigtermAndThePermanentBarIsFoundAgain)
{
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    const auto first = startHost();
    ASSERT_TRUE(waitForLine(log(), "OnStartupComplete")) << first->errorOutput();
    first->signal(SIGINT);
    EXPECT_EQ(first->wait(), 0);
    ASSERT_TRUE(waitForLine(log(), "OnDisconnection 0"));

    std::filesystem::remove(log());
    EXPECT_EQ(runHostOnce().status, 0);
    EXPECT_THAT(linesOf(log()),
        ElementsAre(
            "OnConnection 1", "bar found", "OnStartupComplete", "NewMail", "OnBeginShutdown", "OnDisconnection 0"));
    // The bar is stored (format 1, at the top, visible) without the add-in's
    // temporary controls.
    EXPECT_THAT(
        hive("HKEY_CURRENT_USER"), HasSubstr("\"Recorder\"=hex:01,00,00,00,01,00,00,00,01,00,00,00,00,00,00,00\n"));
}

TEST_F(HostEndToEnd, AMessageAppearingInSentRaisesItemSendOnce)
{
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    const auto host = startHost();
    ASSERT_TRUE(waitForLine(log(), "OnStartupComplete")) << host->errorOutput();
    const std::string sent = inbox() + "/.Sent";
    ASSERT_TRUE(std::filesystem::is_directory(sent + "/cur"));
    writeWholeFile(sent + "/tmp/1700000001.M2P2.test",
        "From: me@example.org\r\nTo: friend@example.net\r\nSubject: Sent elsewhere\r\n\r\nHi\r\n");
    std::filesystem::rename(sent + "/tmp/1700000001.M2P2.test", sent + "/cur/1700000001.M2P2.test:2,S");
    ASSERT_TRUE(waitForLine(log(), "ItemSend Sent elsewhere")) << host->errorOutput();
    host->signal(SIGTERM);
    EXPECT_EQ(host->wait(), 0);
    const auto lines = linesOf(log());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ItemSend Sent elsewhere"), 1);
}

TEST_F(HostEndToEnd, OnceWaitsUntilTheAddinIsIdleAfterNewMail)
{
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    EnvironmentGuard busyFor{"KVN_TEST_ADDIN_BUSY_CHECKS", "3"};
    const Finished once = runHostOnce();
    EXPECT_EQ(once.status, 0) << once.error;
    EXPECT_THAT(linesOf(log()),
        ElementsAre("OnConnection 1", "bar added", "OnStartupComplete", "NewMail", "IsIdle busy", "IsIdle busy",
            "IsIdle busy", "OnBeginShutdown", "OnDisconnection 0"));
}

TEST_F(HostEndToEnd, OnceEndsWithStatusOneWhenTheAddinRefusesToConnect)
{
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    EnvironmentGuard refusing{"KVN_TEST_ADDIN_REFUSE", "1"};
    EXPECT_EQ(runHostOnce().status, 1);
    // Never connected, so never disconnected.
    EXPECT_THAT(linesOf(log()), ElementsAre("OnConnection 1", "refused"));
}

TEST_F(HostEndToEnd, LoadOnceAddinIsLoadedAtTheNextStartOnly)
{
    EnvironmentGuard once{"KVN_TEST_ADDIN_LOAD_BEHAVIOR", "16"};
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), HasSubstr("\"LoadBehavior\"=dword:00000010"));
    EXPECT_EQ(runHostOnce().status, 0);
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), HasSubstr("\"LoadBehavior\"=dword:00000000"));
    ASSERT_TRUE(waitForLine(log(), "OnDisconnection 0"));

    std::filesystem::remove(log());
    EXPECT_EQ(runHostOnce().status, 0);
    EXPECT_FALSE(std::filesystem::exists(log()));
}

TEST_F(HostEndToEnd, UnregisteringLeavesNoKeyBehind)
{
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    const std::string clsid = "{3F0C9A52-1B7E-4D8A-A3C4-9E2F61B0D7A8}";
    EXPECT_THAT(hive("HKEY_CLASSES_ROOT"), HasSubstr("[HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32]"));
    EXPECT_THAT(hive("HKEY_CLASSES_ROOT"), HasSubstr("@=\"" + recorderModule() + "\""));

    const Finished removed = regsvr32({"/u", recorderModule()});
    EXPECT_EQ(removed.status, 0);
    EXPECT_THAT(removed.error, HasSubstr("DllUnregisterServer in " + recorderModule() + " succeeded."));
    EXPECT_THAT(hive("HKEY_CLASSES_ROOT"), Not(HasSubstr("KvnTest")));
    EXPECT_THAT(hive("HKEY_CLASSES_ROOT"), Not(HasSubstr(clsid)));
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), Not(HasSubstr("KvnTest")));
    // Nothing is left to load.
    EXPECT_EQ(runHostOnce().status, 0);
    EXPECT_FALSE(std::filesystem::exists(log()));
}

TEST_F(HostEndToEnd, Regsvr32TellsAModuleThatIsNotAnAddinFromAMissingOne)
{
    const Finished notAddin = regsvr32({temp / "system/libnot_an_addin.so"});
    EXPECT_EQ(notAddin.status, 4);
    EXPECT_THAT(notAddin.error, HasSubstr("was loaded but the entry-point DllRegisterServer was not found"));

    const Finished missing = regsvr32({temp / "system/missing.so"});
    EXPECT_EQ(missing.status, 3);
    EXPECT_THAT(missing.error, HasSubstr("failed to load"));

    const Finished silent = regsvr32({"/s", "/u", temp / "system/missing.so"});
    EXPECT_EQ(silent.status, 3);
    EXPECT_EQ(silent.error, "");

    EXPECT_EQ(regsvr32({}).status, 1);
    EXPECT_EQ(regsvr32({"/x", recorderModule()}).status, 1);
}

TEST_F(HostEndToEnd, HostNamesAnAddinWhoseModuleIsMissingOrNotAnAddin)
{
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    std::filesystem::remove(recorderModule());
    Finished once = runHostOnce();
    EXPECT_EQ(once.status, 1);
    EXPECT_THAT(once.error,
        HasSubstr("The add-in \"Test recorder\" could not be loaded: its module " + recorderModule()
            + " could not be loaded"));

    std::filesystem::copy_file(temp / "system/libnot_an_addin.so", recorderModule());
    once = runHostOnce();
    EXPECT_EQ(once.status, 1);
    EXPECT_THAT(once.error, HasSubstr(recorderModule() + " is not an add-in module"));
}

TEST_F(HostEndToEnd, WhileTheHostRunsKvnctlRefusesToWriteButStillReads)
{
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    const auto host = startHost();
    ASSERT_TRUE(waitForLine(log(), "OnStartupComplete")) << host->errorOutput();

    const Finished write = runToEnd(KVN_KVNCTL,
        {"--profile", "Default", "lists", "add", "--white", "address", "a@example.org"}, temp / "kvnctl.err");
    EXPECT_EQ(write.status, 4);
    EXPECT_THAT(write.error, HasSubstr("korvane (process " + std::to_string(host->pid()) + ")"));
    const Finished read = runToEnd(KVN_KVNCTL, {"--profile", "Default", "lists", "show"}, temp / "kvnctl.err");
    EXPECT_EQ(read.status, 0) << read.error;

    // A second host on the same profile says who has it and ends.
    const Finished second = runHostOnce();
    EXPECT_EQ(second.status, 1);
    EXPECT_THAT(second.error, HasSubstr("korvane (process " + std::to_string(host->pid()) + ")"));

    host->signal(SIGTERM);
    EXPECT_EQ(host->wait(), 0);
    // Once the host is gone the profile is free again.
    EXPECT_EQ(runToEnd(KVN_KVNCTL, {"--profile", "Default", "lists", "add", "--white", "address", "a@example.org"},
                  temp / "kvnctl.err")
                  .status,
        0);
}

} // namespace
} // namespace kvn::testing
