#include "ui/widgets/list_text_order.h"

#include <gtest/gtest.h>

namespace kvn::ui {
namespace {

bool before(const QString& a, const QString& b) { return compareListTexts(a, b) < 0; }

TEST(ListTextOrder, DigitsCompareAsNumbersOfAnyLength)
{
    EXPECT_TRUE(before("9", "10"));
    EXPECT_FALSE(before("10", "9"));
    EXPECT_EQ(compareListTexts("007", "7"), 0);
    EXPECT_TRUE(before("", "1")) << "the empty text is a number, 0";
    EXPECT_TRUE(before("99", "123456789012345678901234567890"));
    EXPECT_TRUE(before("123456789012345678901234567889", "123456789012345678901234567890"));
    // The first text decides: a second text that is no number counts as 0.
    EXPECT_GT(compareListTexts("5", "abc"), 0);
}

TEST(ListTextOrder, DayMonthYearComparesYearThenMonthThenDay)
{
    EXPECT_TRUE(before("31/12/2025", "01/01/2026"));
    EXPECT_TRUE(before("28/02/2026", "01/03/2026"));
    EXPECT_TRUE(before("04/03/2026", "05/03/2026"));
    EXPECT_EQ(compareListTexts("05/03/2026", "05/03/2026"), 0);
    // Only the exact form counts as a date; a short second text does not break it.
    EXPECT_GT(compareListTexts("05/03/2026", "5/3"), 0);
}

TEST(ListTextOrder, OtherTextsCompareByTheLocale)
{
    EXPECT_TRUE(before("apple", "banana"));
    EXPECT_TRUE(before("2026.11.30", "2026.12.09")) << "%Y.%m.%d dates order by text";
    EXPECT_NE(compareListTexts("Value", "value"), 0) << "case-sensitive";
    EXPECT_EQ(compareListTexts("same", "same"), 0);
}

} // namespace
} // namespace kvn::ui
