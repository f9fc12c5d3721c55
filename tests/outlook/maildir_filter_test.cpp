// The Find and Restrict filter texts and their minute-precision comparison.
#include "platform/outlook/maildir_filter.h"

#include "tests/outlook/maildir_fixture.h"
#include "tests/support/environment_guard.h"

#include <gtest/gtest.h>

#include <ctime>

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

// A time far from a bound is judged without its local time; near the bound,
// and in zones as far from UTC as any, the answer must be the local time's.
TEST(MaildirFilter, TimesFarFromABoundAnswerAsTheirLocalTimeDoes)
{
    struct ZoneReset {
        ~ZoneReset() { ::tzset(); }
    };
    for (const char* zone : {"Europe/Berlin", "Pacific/Kiritimati", "Etc/GMT+12", "America/St_Johns",
             "AAA-24:59:59BBB,M3.5.0,M10.5.0", "CCC+24:59:59"}) {
        ZoneReset reset;
        testing::EnvironmentGuard timeZone("TZ", std::string(zone));
        ::tzset();
        struct Bound {
            const char* text;
            std::int64_t near; // a time close to it
        };
        for (const Bound& bound : {Bound{"'Mar 29 2020 02:30 AM'", localSeconds(2020, 3, 29, 1, 0, 0)},
                 Bound{"'Oct 25 2020 02:15 AM'", localSeconds(2020, 10, 25, 1, 0, 0)},
                 Bound{"'Feb 31 2021 11:59 PM'", localSeconds(2021, 3, 2, 12, 0, 0)}}) {
            for (const char* compare : {">=", ">", "<=", "<", "="}) {
                auto filter = parseMailFilter(std::string("[ReceivedTime]") + compare + bound.text);
                ASSERT_TRUE(filter);
                MailFilter exact = *filter;
                exact.received.front().wallSeconds.reset(); // always asks the local time
                EXPECT_EQ(filter->received.front().wallSeconds.has_value(),
                    std::string(bound.text).find("Feb 31") == std::string::npos);
                for (std::int64_t at = bound.near - 4 * 86400; at < bound.near + 4 * 86400; at += 127) {
                    ASSERT_EQ(filter->matchesTime(at), exact.matchesTime(at))
                        << zone << " " << compare << bound.text << " at " << at;
                }
            }
        }
    }
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
