// The black-list clean-ups: idle removal at the 30-day boundary, the cap's
// 7-day pass, and entries without dates.
#include "lists/black_list_upkeep.h"

#include "tests/support/local_time.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

class BlackListUpkeepTest : public ::testing::Test {
protected:
    // A black address whose activity date is `daysAgo` days before today.
    void addBlack(const std::string& address, int addedDaysAgo, int receivedDaysAgo = -1)
    {
        insertAddressEntry(lists, false,
            ListEntry(2, address, address, 0, cutOffDate(clock, addedDaysAgo),
                receivedDaysAgo < 0 ? std::string() : cutOffDate(clock, receivedDaysAgo)));
    }
    // 150 black addresses: 90 idle for more than 30 days, 40 active 8 to 30
    // days ago, 20 active in the last 7 days.
    void fillOneHundredFifty()
    {
        for (int i = 0; i < 90; ++i)
            addBlack("idle" + std::to_string(i) + "@spam.example", 31 + i % 50);
        for (int i = 0; i < 40; ++i)
            addBlack("month" + std::to_string(i) + "@spam.example", 100, 8 + i % 23);
        for (int i = 0; i < 20; ++i)
            addBlack("week" + std::to_string(i) + "@spam.example", 100, i % 8);
    }
    std::size_t blackCount() const { return lists.sequence(ListKind::Address, false).size(); }
    bool isBlack(const std::string& address) const
    {
        ListEntry probe(2, "", address, 0, "", "");
        return lists.findAddress(probe, false).result == LookupResult::InAskedList;
    }

    SettableClock clock{testing::oleDateOf(2024, 3, 15, 9, 0)};
    FilterLists lists;
};

TEST_F(BlackListUpkeepTest, CutOffsAreLocalCalendarDaysBack)
{
    EXPECT_EQ(cutOffDate(clock, 0), "2024.03.15");
    EXPECT_EQ(cutOffDate(clock, 30), "2024.02.14");
    EXPECT_EQ(cutOffDate(clock, 7), "2024.03.08");
    clock.set(testing::oleDateOf(2024, 4, 1, 0, 30)); // daylight saving time began between
    EXPECT_EQ(cutOffDate(clock, 7), "2024.03.25");
}

TEST_F(BlackListUpkeepTest, AnAddressAddedThirtyDaysAgoStaysAndOneOfThirtyOneGoes)
{
    addBlack("thirty@spam.example", 30);
    addBlack("thirtyone@spam.example", 31);
    addBlack("matched@spam.example", 200, 3);
    EXPECT_EQ(removeIdleBlackAddresses(lists, cutOffDate(clock, 30)), 1u);
    EXPECT_TRUE(isBlack("thirty@spam.example"));
    EXPECT_FALSE(isBlack("thirtyone@spam.example"));
    EXPECT_TRUE(isBlack("matched@spam.example")) << "last received counts before the date added";
    EXPECT_EQ(lists.firstCharIndex(false).size(), blackCount()) << "the index follows the sequence";
}

TEST_F(BlackListUpkeepTest, OnlyBlackAddressesAreEverRemoved)
{
    addBlack("old@spam.example", 400);
    insertAddressEntry(lists, true, ListEntry(2, "", "old@friend.example", 0, "2000.01.01", ""));
    lists.sequence(ListKind::Domain, false).push_back(ListEntry(3, "spam.example", "", 0, "2000.01.01", ""));
    removeIdleBlackAddresses(lists, cutOffDate(clock, 30));
    EXPECT_EQ(blackCount(), 0u);
    EXPECT_EQ(lists.sequence(ListKind::Address, true).size(), 1u);
    EXPECT_EQ(lists.sequence(ListKind::Domain, false).size(), 1u);
}

TEST_F(BlackListUpkeepTest, TheThirtyDayPassLeavesSixtyAndTheCapsSevenDayPassTwenty)
{
    fillOneHundredFifty();
    ASSERT_EQ(blackCount(), 150u);
    removeIdleBlackAddresses(lists, cutOffDate(clock, 30));
    EXPECT_EQ(blackCount(), 60u);
    capBlackAddresses(lists, 100, true, clock);
    EXPECT_EQ(blackCount(), 60u) << "under the cap already";
    capBlackAddresses(lists, 50, true, clock);
    EXPECT_EQ(blackCount(), 20u) << "the 7-day pass; the cap stays unmet";
    EXPECT_TRUE(isBlack("week0@spam.example"));
}

TEST_F(BlackListUpkeepTest, WithoutIdleRemovalTheCapRemovesTheThirtyDayIdleFirst)
{
    fillOneHundredFifty();
    EXPECT_EQ(capBlackAddresses(lists, 100, false, clock), 90u) << "60 left is within the cap";
    EXPECT_EQ(blackCount(), 60u);
}

TEST_F(BlackListUpkeepTest, OneHundredFiftyActiveYesterdayAreAllKept)
{
    for (int i = 0; i < 150; ++i)
        addBlack("busy" + std::to_string(i) + "@spam.example", 60, 1);
    removeIdleBlackAddresses(lists, cutOffDate(clock, 30));
    EXPECT_EQ(capBlackAddresses(lists, 100, true, clock), 0u);
    EXPECT_EQ(blackCount(), 150u);
}

TEST_F(BlackListUpkeepTest, AnEntryWithoutDatesIsDatedTodayAndKeptForThirtyDays)
{
    insertAddressEntry(lists, false, ListEntry(2, "", "restored@spam.example", 0, "", ""));
    addBlack("dated@spam.example", 5);
    EXPECT_EQ(removeIdleBlackAddresses(lists, cutOffDate(clock, 30)), 0u) << "no date is never idle";
    EXPECT_EQ(datelessBlackAddressesDated(lists, clock), 1u);
    const ListSequence& black = lists.sequence(ListKind::Address, false);
    const auto restored = std::find_if(
        black.begin(), black.end(), [](const ListEntry& entry) { return entry.extra == "restored@spam.example"; });
    ASSERT_NE(restored, black.end());
    EXPECT_EQ(restored->dateAdded, "2024.03.15");

    clock.advanceDays(30);
    removeIdleBlackAddresses(lists, cutOffDate(clock, 30));
    EXPECT_TRUE(isBlack("restored@spam.example"));
    clock.advanceDays(1);
    removeIdleBlackAddresses(lists, cutOffDate(clock, 30));
    EXPECT_FALSE(isBlack("restored@spam.example"));
}

} // namespace
} // namespace kvn
