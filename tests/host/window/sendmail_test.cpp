// The sendmail step over real programs: what the user is told when the
// command cannot be read, cannot start, fails with a flood of output that
// is not UTF-8, or stops reading the message.
#include "host/sendmail.h"

#include "platform/core/utf8_text.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace kvn::testing {
namespace {

using ::testing::HasSubstr;

TEST(Sendmail, EachFailureSaysWhatWentWrongInReadableText)
{
    EXPECT_THAT(host::sendWithSendmail("sendmail '-t", "x").problem, HasSubstr("a quote is not closed"));
    EXPECT_THAT(host::sendWithSendmail("   ", "x").problem, HasSubstr("No mail command"));
    EXPECT_THAT(host::sendWithSendmail("/nowhere/sendmail -t", "x").problem, HasSubstr("cannot be started"));

    // A megabyte of bytes that are not UTF-8 on its error output.
    const host::SendmailResult flood = host::sendWithSendmail(
        "sh -c 'cat >/dev/null; head -c 1048576 /dev/zero | tr \"\\\\000\" \"\\\\377\" >&2; exit 75'", "x");
    EXPECT_FALSE(flood.sent);
    EXPECT_THAT(flood.problem, HasSubstr("exit status 75"));
    EXPECT_THAT(flood.problem, HasSubstr("???"));
    EXPECT_TRUE(isValidUtf8(flood.problem));
    EXPECT_LT(flood.problem.size(), 70u * 1024) << "the output shown is cut";

    const host::SendmailResult early = host::sendWithSendmail("true", std::string(4 << 20, 'x'));
    EXPECT_FALSE(early.sent) << "exit 0 without reading the message is no sending";
    EXPECT_THAT(early.problem, HasSubstr("before it read the whole message"));

    const host::SendmailResult taken = host::sendWithSendmail("sh -c 'cat >/dev/null'", "Subject: x\n\nx\n");
    EXPECT_TRUE(taken.sent) << taken.problem;
}

TEST(Sendmail, LineEndsBecomeLf) { EXPECT_EQ(host::withUnixLineEnds("a\r\nb\r\n\r\nc\rd\n"), "a\nb\n\nc\rd\n"); }

} // namespace
} // namespace kvn::testing
