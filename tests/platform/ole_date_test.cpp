#include "platform/core/clock.h"
#include "platform/core/ole_date.h"
#include "tests/support/local_time.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

using testing::localTime;

TEST(OleDate, KnownDatesConvertBothWays)
{
    EXPECT_DOUBLE_EQ(oleDateFromLocal(localTime(1899, 12, 30)), 0.0);
    EXPECT_DOUBLE_EQ(oleDateFromLocal(localTime(1900, 1, 1)), 2.0);
    EXPECT_DOUBLE_EQ(oleDateFromLocal(localTime(2000, 1, 1)), 36526.0);
    EXPECT_DOUBLE_EQ(oleDateFromLocal(localTime(2004, 1, 5, 21, 30)), 37991.0 + 21.5 / 24.0);

    const std::tm back = *localFromOleDate(37991.0 + 21.5 / 24.0);
    EXPECT_EQ(formatLocalTime(back, "%Y.%m.%d %H:%M:%S"), "2004.01.05 21:30:00");
    EXPECT_EQ(back.tm_wday, 1); // a Monday
    EXPECT_EQ(formatLocalTime(*localFromOleDate(30000.0), "%Y.%m.%d"), "1982.02.18");
}

TEST(OleDate, TheDottedDateIsWhatStrftimeWrites)
{
    for (const int year : {-1905, -1, 0, 5, 999, 1982, 2026, 12345}) {
        for (const int month : {0, 8, 9, 11}) {
            for (const int day : {1, 9, 10, 31}) {
                std::tm local{};
                local.tm_year = year - 1900;
                local.tm_mon = month;
                local.tm_mday = day;
                EXPECT_EQ(formatDottedDate(local), formatLocalTime(local, "%Y.%m.%d")) << year << month << day;
            }
        }
    }
}

TEST(OleDate, MonthLengthsFollowTheGregorianLeapYears)
{
    EXPECT_EQ(daysInMonth(2021, 2), 28);
    EXPECT_EQ(daysInMonth(2020, 2), 29);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(2021, 1), 31);
    EXPECT_EQ(daysInMonth(2021, 4), 30);
    EXPECT_EQ(daysInMonth(2021, 12), 31);
    // Consecutive months' first days are the month's length apart.
    for (unsigned month = 1; month < 12; ++month)
        EXPECT_EQ(daysFromCivil(2024, month + 1, 1) - daysFromCivil(2024, month, 1), daysInMonth(2024, month)) << month;
}

TEST(OleDate, NegativeDatesCountTheFractionForwardFromTheirDay)
{
    // -1.25 is 1899-12-29 06:00, not 18:00: the fraction is the time of day.
    EXPECT_EQ(formatLocalTime(*localFromOleDate(-1.25), "%Y.%m.%d %H:%M"), "1899.12.29 06:00");
}

TEST(OleDate, RoundsToTheNearestSecondAcrossMidnight)
{
    const double almostMidnight = 36526.0 - 0.1 / 86400.0;
    EXPECT_EQ(formatLocalTime(*localFromOleDate(almostMidnight), "%Y.%m.%d %H:%M:%S"), "2000.01.01 00:00:00");
}

TEST(OleDate, UnrepresentableDatesGiveNothing)
{
    EXPECT_FALSE(localFromOleDate(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(localFromOleDate(1e12));
}

TEST(OleDate, CalendarTimeUsesTheLocalZone)
{
    // The tests run with TZ=Europe/Berlin: one hour ahead of UTC in winter, two in summer.
    EXPECT_EQ(*calendarTimeFromLocal(localTime(1970, 1, 1, 1)), 0);
    EXPECT_EQ(*calendarTimeFromLocal(localTime(2020, 7, 1, 2)), 1593561600);
    EXPECT_EQ(formatLocalTime(localFromCalendarTime(1593561600), "%H"), "02");
}

TEST(OleDate, FormatsTheStoredForms)
{
    const std::tm local = localTime(2026, 12, 9, 14, 5, 7);
    EXPECT_EQ(formatLocalTime(local, "%Y.%m.%d"), "2026.12.09");
    EXPECT_EQ(formatLocalTime(local, "%m.%d.%Y"), "12.09.2026");
    EXPECT_EQ(formatOleDateNumber(30000.0), "30000.00000000000000000000");
    EXPECT_EQ(std::stod(formatOleDateNumber(46365.123456789)), 46365.123456789);
}

TEST(SettableClock, GivesTheTimeItWasSet)
{
    SettableClock clock(oleDateFromLocal(localTime(2026, 7, 1, 12)));
    EXPECT_EQ(formatLocalTime(clock.nowLocal(), "%Y.%m.%d %H"), "2026.07.01 12");
    EXPECT_EQ(clock.nowLocal().tm_isdst, 1);
    clock.advanceDays(1.5);
    EXPECT_EQ(formatLocalTime(clock.nowLocal(), "%Y.%m.%d %H"), "2026.07.03 00");
}

TEST(SystemClock, AgreesWithTheCalendarTime)
{
    const double now = systemClock().nowOleDate();
    const double fromCalendar = oleDateFromLocal(systemClock().nowLocal());
    EXPECT_NEAR(now, fromCalendar, 2.0 / 86400.0);
}

} // namespace
} // namespace kvn
