// The Find and Restrict filter texts and their minute-precision comparison.
#include "platform/outlook/maildir_filter.h"

#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

namespace kvn::outlook {
namespace {

using kvn::testing::localSeconds;

TEST(MaildirFilter, UnreadConditions)
{
    auto unread = parseMailFilter("[UnRead]=true");
    ASSERT_TRUE(unread);
    EXPECT_FALSE(unread->needsTimes());
    EXPECT_TRUE(unread->matches(true, 0));
    EXPECT_FALSE(unread->matches(false, 0));
    auto read = parseMailFilter("[UnRead] = false");
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->matches(false, 0));
}

TEST(MaildirFilter, ReceivedTimeIsComparedAtMinutePrecision)
{
    auto filter = parseMailFilter("[UnRead]=true and [ReceivedTime]>='Jan 05 2004 09:30 PM' and "
                                  "[ReceivedTime]<='Jan 05 2004 10:15 PM'");
    ASSERT_TRUE(filter);
    EXPECT_TRUE(filter->needsTimes());
    EXPECT_TRUE(filter->matches(true, localSeconds(2004, 1, 5, 21, 30, 0)));
    EXPECT_TRUE(filter->matches(true, localSeconds(2004, 1, 5, 21, 30, 59)));
    EXPECT_FALSE(filter->matches(true, localSeconds(2004, 1, 5, 21, 29, 59)));
    EXPECT_TRUE(filter->matches(true, localSeconds(2004, 1, 5, 22, 15, 59))); // the same minute as the bound
    EXPECT_FALSE(filter->matches(true, localSeconds(2004, 1, 5, 22, 16, 0)));
    EXPECT_FALSE(filter->matches(false, localSeconds(2004, 1, 5, 21, 45, 0)));
}

TEST(MaildirFilter, StrictComparisonsAndTwelveOClock)
{
    auto after = parseMailFilter("[ReceivedTime] > 'Mar 01 2020 12:00 AM'");
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->matches(false, localSeconds(2020, 3, 1, 0, 0, 30)));
    EXPECT_TRUE(after->matches(false, localSeconds(2020, 3, 1, 0, 1, 0)));
    auto before = parseMailFilter("[ReceivedTime]<'Mar 01 2020 12:00 PM'");
    ASSERT_TRUE(before);
    EXPECT_TRUE(before->matches(false, localSeconds(2020, 3, 1, 11, 59, 59)));
    EXPECT_FALSE(before->matches(false, localSeconds(2020, 3, 1, 12, 0, 0)));
}

TEST(MaildirFilter, AnythingElseIsRefused)
{
    for (const char* text : {"", "[UnRead]=maybe", "[Subject]='x'", "[ReceivedTime]>='Foo 05 2004 09:30 PM'",
             "[ReceivedTime]>='Jan 05 2004 13:30 PM'", "[ReceivedTime]>='Jan 05 2004 09:30'",
             "[ReceivedTime]>=Jan 05 2004 09:30 PM", "[UnRead]=true or [UnRead]=false", "[UnRead]=true and",
             "[UnRead]=true and [ReceivedTime]>='Jan 05 2004 09:30 PM' x"})
        EXPECT_FALSE(parseMailFilter(text)) << text;
}

} // namespace
} // namespace kvn::outlook
