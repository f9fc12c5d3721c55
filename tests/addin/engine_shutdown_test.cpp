// Disconnection: what Shutdown leaves on disk at each moment, the black-list
// upkeep it runs, and the quarantine clean-up of the start-up run, over a
// real Maildir, a real registry folder and real data files.
#include "tests/addin/engine_fixture.h"

#include "addin/quarantine_upkeep.h"
#include "lists/profile_data.h"

#include <gmock/gmock.h>

namespace kvn {
namespace {

using testing::localSeconds;
using testing::messageFiles;
using testing::messageText;
using testing::putMessage;

class EngineShutdownTest : public testing::EngineTest {
protected:
    // The profile's data as the next start would read it.
    ProfileData storedData()
    {
        ProfileData data(installDir(), "Default", realFileSystem(), clock);
        EXPECT_TRUE(data.readAll().ok());
        return data;
    }

    void storeBlackAddresses(const std::vector<std::pair<std::string, std::string>>& addressesAndDates)
    {
        ProfileData data(installDir(), "Default", realFileSystem(), clock);
        ASSERT_TRUE(prepareDataFolder(realFileSystem(), installDir(), dataFolder()).ok());
        for (const auto& [address, date] : addressesAndDates)
            insertAddressEntry(data.lists(), false, ListEntry(2, "", address, 0, date, ""));
        ASSERT_TRUE(data.saveAll().ok());
    }

    std::vector<std::string> storedBlackAddresses()
    {
        std::vector<std::string> addresses;
        const ProfileData stored = storedData();
        for (const ListEntry& entry : stored.lists().sequence(ListKind::Address, false))
            addresses.push_back(entry.extra + " " + entry.dateAdded);
        return addresses;
    }
};

TEST_F(EngineShutdownTest, AfterTheStartUpRunShutdownStoresStopTimeAndSavesTheData)
{
    CMain& engine = startAndSettle();
    {
        std::lock_guard<std::mutex> hold(engine.state().lock);
        insertAddressEntry(
            engine.state().data.lists(), true, ListEntry(2, "Ann", "ann@example.org", 0, "2024.03.15", ""));
    }
    clock.set(testing::oleDateOf(2024, 3, 15, 18, 30));
    engine.Shutdown();
    EXPECT_EQ(readString("Default", setting::StopTime, ""), formatStopTime(testing::oleDateOf(2024, 3, 15, 18, 30)));
    ASSERT_EQ(storedData().lists().sequence(ListKind::Address, true).size(), 1u);
    EXPECT_EQ(testing::modeOf(dataFolder() + "/lists.lst"), 0600);
    engine.Shutdown(); // a second call changes nothing
}

TEST_F(EngineShutdownTest, DisconnectingDuringTheStartUpRunLeavesStopTimeAndTheDataFilesAlone)
{
    ASSERT_TRUE(writeString("Default", setting::Run, ""));
    ASSERT_TRUE(writeString("Default", setting::StopTime, "45000.25000000000000000000"));
    setOption(setting::StartUp, 1);
    firstRun.hold(); // held until the stop request
    CMain& engine = start();
    ASSERT_TRUE(firstRun.waitEntered());
    engine.RequestRun();
    engine.Shutdown();

    EXPECT_FALSE(engine.startupFinished());
    EXPECT_EQ(readString("Default", setting::StopTime, ""), "45000.25000000000000000000");
    // The load before the first run made the missing file, empty; nothing was saved into it.
    EXPECT_EQ(std::filesystem::file_size(dataFolder() + "/lists.lst"), 0u);
    EXPECT_EQ(gate.started(), 0) << "neither the remembered request nor \"StartUp\" starts a pass";
}

TEST_F(EngineShutdownTest, DisconnectingDuringAPassWaitsOnlyForTheEmailInHand)
{
    for (int i = 0; i < 5; ++i)
        putMessage(root(), "new", "m" + std::to_string(i), localSeconds(2024, 3, 15, 11, i), messageText("hi"));
    ASSERT_TRUE(writeString("Default", setting::StopTime, "45366.0"));
    gate.runRealPasses();
    CMain& engine = startAndSettle();
    gate.hold(1); // this pass would never end by itself
    engine.RequestRun();
    ASSERT_TRUE(gate.waitStarted(1));
    engine.Shutdown();

    EXPECT_EQ(gate.finished(), 1);
    EXPECT_EQ(messageFiles(root()).size(), 5u) << "the stopped pass moved no e-mail";
    EXPECT_EQ(readString("Default", setting::StopTime, ""), formatStopTime(45366.0))
        << "no pass completed, so the next start searches the same window again";
    EXPECT_TRUE(std::filesystem::exists(dataFolder() + "/lists.lst"));
}

TEST_F(EngineShutdownTest, AfterAHaltedPassStopTimeIsWhenTheLatestCompletePassBegan)
{
    CMain& engine = startAndSettle();
    const double completeBegan = testing::oleDateOf(2024, 3, 15, 12, 10);
    clock.set(completeBegan);
    engine.RequestRun();
    settle();
    clock.set(testing::oleDateOf(2024, 3, 15, 12, 20));
    gate.hold(3);
    engine.RequestRun();
    ASSERT_TRUE(gate.waitStarted(3));
    engine.Shutdown();
    EXPECT_EQ(readString("Default", setting::StopTime, ""), formatStopTime(completeBegan))
        << "mail received after it may not have been examined";
}

TEST_F(EngineShutdownTest, TheUpkeepRemovesIdleBlackAddressesAndDatesRestoredOnes)
{
    storeBlackAddresses({{"thirty@spam.example", "2024.02.14"}, {"thirtyone@spam.example", "2024.02.13"},
        {"restored@spam.example", ""}});
    startAndSettle().Shutdown();
    EXPECT_THAT(storedBlackAddresses(),
        ::testing::UnorderedElementsAre("thirty@spam.example 2024.02.14", "restored@spam.example 2024.03.15"));
}

TEST_F(EngineShutdownTest, WithIdleRemovalOffAndNoCapNothingIsRemoved)
{
    setOption(setting::RemoveBlackAfter, 0);
    setOption(setting::NotExceedBlack, 0);
    storeBlackAddresses({{"old@spam.example", "2020.01.01"}, {"older@spam.example", "2019.01.01"}});
    startAndSettle().Shutdown();
    EXPECT_EQ(storedBlackAddresses().size(), 2u);
}

TEST_F(EngineShutdownTest, WithIdleRemovalOffTheCapStillRemovesTheThirtyDayIdle)
{
    setOption(setting::RemoveBlackAfter, 0);
    setOption(setting::NotExceedBlack, 1);
    storeBlackAddresses(
        {{"old@spam.example", "2020.01.01"}, {"new@spam.example", "2024.03.10"}, {"newer@spam.example", "2024.03.12"}});
    startAndSettle().Shutdown();
    EXPECT_THAT(storedBlackAddresses(),
        ::testing::UnorderedElementsAre("new@spam.example 2024.03.10", "newer@spam.example 2024.03.12"))
        << "the week's entries stay above the cap";
}

class AutoCleanTest : public EngineShutdownTest {
protected:
    void quarantineAged()
    {
        putMessage(quarantineDir(), "new", "twodays", localSeconds(2024, 3, 13, 12, 0), messageText("old"));
        putMessage(quarantineDir(), "cur", "onehour:2,", localSeconds(2024, 3, 15, 11, 0), messageText("new"));
    }
    std::size_t inTrash() const { return messageFiles(trashDir()).size(); }
    std::size_t inQuarantine() const { return messageFiles(quarantineDir()).size(); }
};

TEST_F(AutoCleanTest, ZeroDaysMovesEveryQuarantinedEmailToDeletedItemsMarkedRead)
{
    quarantineAged();
    setOption(setting::AutoClean, 0);
    startAndSettle();
    EXPECT_EQ(inQuarantine(), 0u);
    EXPECT_THAT(messageFiles(trashDir()), ::testing::UnorderedElementsAre("cur/onehour:2,S", "cur/twodays:2,S"));
}

TEST_F(AutoCleanTest, OneDayMovesOnlyWhatIsOlderThanADay)
{
    quarantineAged();
    setOption(setting::AutoClean, 1);
    startAndSettle();
    EXPECT_THAT(messageFiles(quarantineDir()), ::testing::ElementsAre("cur/onehour:2,"));
    EXPECT_EQ(inTrash(), 1u);
}

TEST_F(AutoCleanTest, ThirtyOneOrTheStoredOffMovesNothing)
{
    quarantineAged();
    for (const std::uint32_t days : {31u, 1000u}) {
        setOption(setting::AutoClean, days);
        startAndSettle().Shutdown();
        owned.reset();
        EXPECT_EQ(inQuarantine(), 2u) << days;
        EXPECT_EQ(inTrash(), 0u) << days;
    }
}

TEST_F(AutoCleanTest, WithoutTheOptionAutoCleanIsOff)
{
    quarantineAged();
    startAndSettle();
    EXPECT_EQ(inQuarantine(), 2u);
}

TEST_F(AutoCleanTest, AMissingQuarantineFolderMovesNothing)
{
    const PassFolders none;
    EXPECT_EQ(autoCleanQuarantine(none, 0, clock), 0u);
    EXPECT_LT(countUnreadItems(nullptr), 0);
}

} // namespace
} // namespace kvn
