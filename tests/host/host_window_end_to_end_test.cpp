// korvane with its window, as a user starts it: the add-in is connected and
// gets NewMail through the window's event loop, SIGTERM still disconnects it,
// and the window's place is remembered. Without a display it says how to run
// without a window.
#include "tests/host/host_fixture.h"

#include <csignal>

namespace kvn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using HostWindowEndToEnd = HostFixture;

TEST_F(HostWindowEndToEnd, TheWindowRunsTheEventsAndASignalStillEndsIt)
{
    EnvironmentGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    ASSERT_EQ(regsvr32({"/s", recorderModule()}).status, 0);
    ChildProcess host(KVN_KORVANE, {"--profile", "Windowed"}, temp / "korvane.err");
    ASSERT_TRUE(waitForLine(log(), "OnStartupComplete")) << host.errorOutput();
    deliver("1700000000.M1P1.window", "Arrived while the window is open");
    ASSERT_TRUE(waitForLine(log(), "NewMail")) << host.errorOutput();
    host.signal(SIGTERM);
    EXPECT_EQ(host.wait(), 0) << host.errorOutput();
    EXPECT_THAT(linesOf(log()),
        ElementsAre(
            "OnConnection 1", "bar added", "OnStartupComplete", "NewMail", "OnBeginShutdown", "OnDisconnection 0"));
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), HasSubstr("\\Profiles\\Windowed\\Window]"));
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), HasSubstr("\"LastFolder\"=\"Personal Folders/Inbox\""));
}

TEST_F(HostWindowEndToEnd, WithoutADisplayItSaysHowToRunHeadless)
{
    EnvironmentGuard noX{"DISPLAY", std::nullopt};
    EnvironmentGuard noWayland{"WAYLAND_DISPLAY", std::nullopt};
    EnvironmentGuard noPlatform{"QT_QPA_PLATFORM", std::nullopt};
    const Finished finished = runToEnd(KVN_KORVANE, {}, temp / "korvane.err");
    EXPECT_EQ(finished.status, 2);
    EXPECT_THAT(finished.error, HasSubstr("korvane --headless"));
    EXPECT_FALSE(std::filesystem::exists(log())) << "no add-in was loaded";

    const Finished once = runToEnd(KVN_KORVANE, {"--once"}, temp / "korvane.err");
    EXPECT_EQ(once.status, 2);
    EXPECT_THAT(once.error, HasSubstr("--headless"));
}

} // namespace
} // namespace kvn::testing
