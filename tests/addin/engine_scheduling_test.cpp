// How the engine schedules its passes: requests during the start-up run, the
// immediate and follow-up passes, the reminders and the start-up options,
// over a real Maildir and a real registry folder.
#include "tests/addin/engine_fixture.h"

#include "platform/core/ole_date.h"

#include <gmock/gmock.h>

namespace kvn {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::patience;

class EngineSchedulingTest : public testing::EngineTest { };

TEST_F(EngineSchedulingTest, WithStartUpOffAndNoMailTheStartUpRunEndsWithoutAPass)
{
    CMain& engine = startAndSettle();
    EXPECT_TRUE(engine.startupFinished());
    EXPECT_FALSE(engine.IsBusy());
    EXPECT_EQ(gate.started(), 0);
    EXPECT_EQ(engine.ProfileName(), "Default");
    EXPECT_EQ(engine.Install_Dir(), installDir());
}

TEST_F(EngineSchedulingTest, WithStartUpOnTheStartUpRunAsksForAPassWhichIsImmediateAndFollowUp)
{
    setOption(setting::StartUp, 1);
    startAndSettle();
    EXPECT_EQ(gate.started(), 2);
    EXPECT_EQ(gate.finished(), 2);
}

TEST_F(EngineSchedulingTest, ARequestDuringTheStartUpRunIsKeptAndServedWhenTheRunEnds)
{
    ASSERT_TRUE(writeString("Default", setting::Run, ""));
    firstRun.hold();
    CMain& engine = start();
    ASSERT_TRUE(firstRun.waitEntered());

    engine.RequestRun();
    EXPECT_TRUE(engine.IsBusy());
    EXPECT_FALSE(engine.startupFinished());
    EXPECT_EQ(gate.started(), 0) << "no pass while the start-up run goes on";

    firstRun.release();
    settle();
    EXPECT_EQ(gate.started(), 2) << "the remembered request is served although \"StartUp\" is 0";
    EXPECT_EQ(readString("Default", setting::Run, ""), "03.15.2024");
}

TEST_F(EngineSchedulingTest, TwoRequestsWhileIdleGiveExactlyTwoPasses)
{
    CMain& engine = startAndSettle();
    // The first pass waits at the gate, so that the second request surely
    // comes before it ends, however slowly this thread is scheduled.
    gate.hold(1);
    engine.RequestRun();
    engine.RequestRun();
    gate.release();
    settle();
    EXPECT_EQ(gate.started(), 2);
    EXPECT_FALSE(engine.IsBusy());
}

TEST_F(EngineSchedulingTest, TenRequestsDuringTheImmediatePassFoldIntoOneFollowUpPass)
{
    CMain& engine = startAndSettle();
    gate.hold(1);
    engine.RequestRun();
    ASSERT_TRUE(gate.waitStarted(1));
    for (int i = 0; i < 10; ++i)
        engine.RequestRun();
    EXPECT_TRUE(engine.IsBusy());
    gate.release();
    settle();
    EXPECT_EQ(gate.started(), 2);
    EXPECT_EQ(gate.maxRunning(), 1);
}

TEST_F(EngineSchedulingTest, RequestsDuringTheFollowUpPassMakeItRunOnceMore)
{
    CMain& engine = startAndSettle();
    gate.hold(2);
    engine.RequestRun();
    ASSERT_TRUE(gate.waitStarted(2));
    for (int i = 0; i < 3; ++i)
        engine.RequestRun();
    gate.release();
    settle();
    EXPECT_EQ(gate.started(), 3) << "mail that came after the follow-up's search is not left for the next request";
}

TEST_F(EngineSchedulingTest, RecheckSearchesFromTheGivenDateAgainWithDeliveredMailForgotten)
{
    CMain& engine = startAndSettle();
    {
        std::lock_guard<std::mutex> hold(engine.state().lock);
        engine.state().deliveredMailIds.append("delivered before");
    }
    const double from = testing::oleDateOf(2024, 1, 5, 9, 30);
    engine.Recheck(from);
    settle();
    EXPECT_EQ(gate.started(), 2);
    std::lock_guard<std::mutex> hold(engine.state().lock);
    EXPECT_EQ(engine.state().CheckFromTime, from);
    EXPECT_THAT(engine.state().deliveredMailIds.ids(), IsEmpty());
}

TEST_F(EngineSchedulingTest, WithoutStopTimeTheSearchStartsOnTheSeventeenthOfFebruary1982)
{
    CMain& engine = startAndSettle();
    const std::optional<std::tm> from = localFromOleDate(engine.state().CheckFromTime);
    ASSERT_TRUE(from);
    EXPECT_EQ(formatLocalTime(*from, "%Y.%m.%d %H:%M"), "1982.02.17 00:00");
}

TEST_F(EngineSchedulingTest, TheSearchStartsADayBeforeTheLastStop)
{
    ASSERT_TRUE(writeString("Default", setting::StopTime, "45366.75000000000000000000"));
    CMain& engine = startAndSettle();
    EXPECT_DOUBLE_EQ(engine.state().CheckFromTime, 45365.75);
}

TEST_F(EngineSchedulingTest, FiftyOneUnreadQuarantinedGiveOneReminderAtStartUpAndNoneAfterPasses)
{
    setOption(setting::ShowQWReminder, 1);
    setOption(setting::EditQWReminder, 50);
    setOption(setting::ComboQWReminder, 0);
    quarantineUnread(51);
    CMain& engine = startAndSettle();
    engine.RequestRun();
    settle();
    engine.Shutdown(); // the popup threads have shown their balloons once it returns
    EXPECT_THAT(balloonTexts(), ElementsAre("There are 51 unread e-mails in the KVN Quarantined folder"));
    ASSERT_EQ(ui.balloons().size(), 1u);
    EXPECT_EQ(ui.balloons()[0].title, "KVN quarantined e-mail reminder");
    EXPECT_EQ(ui.balloons()[0].icon, MessageIcon::Information);
    EXPECT_EQ(ui.balloons()[0].durationMilliseconds, 3000);
}

TEST_F(EngineSchedulingTest, FiftyUnreadQuarantinedGiveNoReminder)
{
    setOption(setting::ShowQWReminder, 1);
    setOption(setting::EditQWReminder, 50);
    quarantineUnread(50);
    startAndSettle().Shutdown();
    EXPECT_THAT(balloonTexts(), IsEmpty());
}

TEST_F(EngineSchedulingTest, RemindingOnNewMailRemindsOnlyAfterFollowUpPasses)
{
    setOption(setting::ShowQWReminder, 1);
    setOption(setting::EditQWReminder, 50);
    setOption(setting::ComboQWReminder, 1);
    quarantineUnread(51);
    CMain& engine = startAndSettle();
    engine.RequestRun(); // an immediate and a follow-up pass
    settle();
    engine.Shutdown();
    EXPECT_EQ(gate.started(), 2);
    EXPECT_THAT(balloonTexts(), ElementsAre("There are 51 unread e-mails in the KVN Quarantined folder"))
        << "one reminder, from the follow-up pass; none at start-up";
}

TEST_F(EngineSchedulingTest, RemindingOnNewMailGivesNothingAtStartUp)
{
    setOption(setting::ShowQWReminder, 1);
    setOption(setting::EditQWReminder, 50);
    setOption(setting::ComboQWReminder, 1);
    quarantineUnread(51);
    startAndSettle().Shutdown();
    EXPECT_THAT(balloonTexts(), IsEmpty());
}

TEST_F(EngineSchedulingTest, AQuarantineThatCannotBeCountedGivesTheErrorReminderAtStartUp)
{
    std::filesystem::remove_all(quarantineDir());
    setOption(setting::ShowQWReminder, 1);
    CMain& engine = startAndSettle();
    EXPECT_LT(engine.CountUnreadQuarantined(), 0);
    engine.Shutdown();
    ASSERT_EQ(ui.balloons().size(), 1u);
    EXPECT_EQ(ui.balloons()[0].text,
        "There was an error retrieving the number of unread e-mails\nin the KVN Quarantined folder");
    EXPECT_EQ(ui.balloons()[0].icon, MessageIcon::Error);
}

TEST_F(EngineSchedulingTest, CountUnreadQuarantinedCountsOnlyUnreadMail)
{
    quarantineUnread(3);
    testing::putMessage(quarantineDir(), "cur", "read:2,S", testing::localSeconds(2024, 3, 14, 12, 0),
        testing::messageText("read one"));
    CMain& engine = startAndSettle();
    EXPECT_EQ(engine.CountUnreadQuarantined(), 3);
}

TEST_F(EngineSchedulingTest, TheBannerShowsDuringStartUpAndEachPassAndTheWatchdogHidesIt)
{
    CMain& engine = startAndSettle();
    engine.RequestRun();
    settle();
    engine.Shutdown();
    const std::vector<std::string> calls = banner->calls();
    const std::string initializing
        = "text Korvane is initializing..." + std::string(12, ' ') + "Please wait." + std::string(12, ' ');
    const std::string analysing
        = "text Korvane is analizing your new e-mails." + std::string(6, ' ') + "Please wait." + std::string(6, ' ');
    ASSERT_GE(calls.size(), 8u);
    EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 4),
        ElementsAre(initializing, "show", "hide", analysing));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "show"), 3) << "start-up and two passes";
    EXPECT_EQ(calls.back(), "hide");
}

TEST_F(EngineSchedulingTest, WithShowPopupOffTheBannerNeverAppears)
{
    setOption(setting::ShowPopup, 0);
    CMain& engine = startAndSettle();
    engine.RequestRun();
    settle();
    engine.Shutdown();
    const std::vector<std::string> calls = banner->calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "show"), 0);
}

TEST_F(EngineSchedulingTest, EveryStartUpStepWritesItsLogLine)
{
    setOption(setting::UseLogging, 1);
    testing::writeWholeFile(logPath(), "an old log\r\n");
    startAndSettle();
    std::vector<std::string> steps;
    const std::string text = testing::readWholeFile(logPath());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        steps.push_back(line.substr(0, line.rfind(" - ")));
        at = end + 2;
    }
    EXPECT_THAT(steps,
        ElementsAre("CMain - p1", "CMain - p2", "CMain - p3", "  GetAllInboxFolders - p1", "  GetAllInboxFolders - p2",
            "  GetAllInboxFolders - p3 - Personal Folders", "  GetAllInboxFolders - p4 - Inbox",
            "  GetAllInboxFolders - p4 - KVN Quarantined", "  GetAllInboxFolders - p4 - Contacts",
            "  GetAllInboxFolders - finished", "CMain - p4", "CMain - p5", "CMain - p6", "CMain - p7", "CMain - p8",
            "CMain - finished"))
        << "the old log is emptied first";
}

TEST_F(EngineSchedulingTest, AProfileWithoutSessionIsNotConstructedAndStartsNothing)
{
    class NoSession final : public outlook::Application {
    public:
        outlook::NamespacePtr getNamespace(std::string_view) override { return nullptr; }
        outlook::ItemPtr createItem(int) override { return nullptr; }
        std::shared_ptr<outlook::SafeMailItem> createSafeMailItem() override { return nullptr; }
        std::shared_ptr<outlook::SafeContactItem> createSafeContactItem() override { return nullptr; }
        std::shared_ptr<outlook::MapiUtils> createMapiUtils() override { return nullptr; }
        std::shared_ptr<outlook::CdoSession> createCdoSession() override { return nullptr; }
    };
    EngineServices services{std::make_shared<NoSession>(), realFileSystem(), clock, ui, odbc::realOdbc(), nullptr,
        nullptr, nullptr, nullptr};
    CMain engine(std::move(services));
    EXPECT_FALSE(engine.constructedOK());
    EXPECT_FALSE(engine.IsBusy());
    engine.RequestRun();
    engine.Shutdown();
    EXPECT_FALSE(std::filesystem::exists(dataFolder()));
}

TEST_F(EngineSchedulingTest, ShutdownEndsAPopupsDisplayTimeAndLaterPopupsShowNothing)
{
    CMain& engine = startAndSettle();
    engine.ShowPopup({"title", "an hour long", MessageIcon::Information, 3600 * 1000});
    engine.Shutdown(); // would wait an hour if the popup's time were not interrupted
    engine.ShowPopup({"title", "after the end", MessageIcon::Information, 3000});
    EXPECT_THAT(balloonTexts(), ElementsAre("an hour long"));
}

} // namespace
} // namespace kvn
