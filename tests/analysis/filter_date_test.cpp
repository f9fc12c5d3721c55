#include "analysis/filter_date.h"

#include "tests/support/local_time.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

using testing::oleDateOf;

TEST(FilterDate, WritesMonthDayYearAndTwelveHourTime)
{
    EXPECT_EQ(formatFilterDate(oleDateOf(2004, 1, 5, 21, 30)), "Jan 05 2004 09:30 PM");
    EXPECT_EQ(formatFilterDate(oleDateOf(2026, 12, 9, 0, 5)), "Dec 09 2026 12:05 AM");
    EXPECT_EQ(formatFilterDate(oleDateOf(2026, 7, 31, 12, 0)), "Jul 31 2026 12:00 PM");
}

TEST(FilterDate, ZeroOrLessStandsForTheFirstOf2000)
{
    EXPECT_EQ(formatFilterDate(0.0), "Jan 01 2000 12:00 AM");
    EXPECT_EQ(formatFilterDate(-5.5), "Jan 01 2000 12:00 AM");
}

TEST(FilterDate, TheDefaultStopTimeIsInFebruary1982) { EXPECT_EQ(formatFilterDate(30000.0), "Feb 18 1982 12:00 AM"); }

TEST(FilterDate, TheEpochAndUnconvertibleDatesGiveNothing)
{
    // 1970-01-01 01:00 in Berlin is calendar time 0.
    EXPECT_EQ(formatFilterDate(oleDateOf(1970, 1, 1, 1, 0)), "");
    EXPECT_EQ(formatFilterDate(1e300), "");
}

TEST(FilterDate, ALocalTimeSkippedByTheClockChangeIsNormalised)
{
    // 2026-03-29 02:30 does not exist in Berlin; the C library moves it on an hour.
    EXPECT_EQ(formatFilterDate(oleDateOf(2026, 3, 29, 2, 30)), "Mar 29 2026 03:30 AM");
}

} // namespace
} // namespace kvn
