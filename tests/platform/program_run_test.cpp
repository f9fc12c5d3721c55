// Running real programs: input and output through pipes without deadlock,
// exit statuses and signals, programs that cannot start or stop reading,
// arguments that no shell ever sees, and the splitting of command lines.
#include "platform/core/program_run.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace kvn {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(ProgramRun, MoreInputAndOutputThanAPipeHoldsFlowWithoutDeadlock)
{
    std::string input;
    for (int i = 0; input.size() < 4 * 1024 * 1024; ++i)
        input += "line " + std::to_string(i) + "\n";
    const ProgramRun run = runProgram({"cat"}, input);
    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(run.inputTaken);
    EXPECT_TRUE(run.succeeded());
    EXPECT_EQ(run.output, input.substr(0, outputLimit));
    EXPECT_TRUE(run.outputCut);
}

TEST(ProgramRun, AProgramThatStopsReadingEndsTheInputWithoutEndingUs)
{
    const ProgramRun run = runProgram({"sh", "-c", "head -c 10 >/dev/null; echo took ten"}, std::string(8 << 20, 'x'));
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_FALSE(run.inputTaken);
    EXPECT_FALSE(run.succeeded());
    EXPECT_EQ(run.output, "took ten\n");
    // No SIGPIPE was left pending for this process either.
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
}

TEST(ProgramRun, ExitStatusSignalAndBothOutputsAreReported)
{
    const ProgramRun failed = runProgram({"sh", "-c", "cat >/dev/null; echo to-out; echo to-err >&2; exit 3"}, "in");
    EXPECT_TRUE(failed.started);
    EXPECT_TRUE(failed.inputTaken);
    EXPECT_EQ(failed.exitStatus, 3);
    EXPECT_EQ(failed.output, "to-out\nto-err\n");
    EXPECT_FALSE(failed.succeeded());

    const ProgramRun killed = runProgram({"sh", "-c", "kill -TERM $$"}, "");
    EXPECT_TRUE(killed.started);
    EXPECT_EQ(killed.signal, SIGTERM);
    EXPECT_EQ(killed.exitStatus, -1);
    EXPECT_FALSE(killed.succeeded());
}

TEST(ProgramRun, WhatCannotStartSaysWhy)
{
    const ProgramRun missing = runProgram({"kvn-no-such-program"}, "text");
    EXPECT_FALSE(missing.started);
    EXPECT_THAT(missing.startError, HasSubstr("No such file"));
    EXPECT_FALSE(runProgram({"/tmp"}, "").started) << "a folder is no program";
    EXPECT_FALSE(runProgram({}, "").started);
}

TEST(ProgramRun, ArgumentsReachTheProgramAsTheyAreAndOnlyTheThreeDescriptorsAreOpen)
{
    const ProgramRun echoed = runProgram({"printf", "%s|", "$HOME", "a; rm -rf /", "`x`"}, "");
    EXPECT_EQ(echoed.output, "$HOME|a; rm -rf /|`x`|");

    // A descriptor of ours without close-on-exec, and SIGPIPE ignored and
    // blocked here: the program sees neither.
    const int leaked = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 0);
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    const ProgramRun looked
        = runProgram({"sh", "-c", "ls /proc/$$/fd; exec grep -E '^Sig(Ign|Blk)' /proc/self/status"}, "");
    std::signal(SIGPIPE, previous);
    ::close(leaked);
    EXPECT_THAT(looked.output, HasSubstr("0\n1\n2\n"));
    EXPECT_THAT(looked.output, ::testing::Not(HasSubstr(std::to_string(leaked) + "\n"))) << looked.output;
    // SIGPIPE is signal 13: bit 0x1000 of the masks.
    EXPECT_THAT(looked.output, HasSubstr("SigBlk:\t0000000000000000")) << looked.output;
    EXPECT_THAT(looked.output, ::testing::Not(::testing::ContainsRegex("SigIgn:\t[0-9a-f]*[19bdf][0-9a-f]{3}\n")))
        << looked.output;
}

TEST(ProgramRun, TheChildStartsWithDefaultSignalsEvenWhenTheCallerIgnoresThem)
{
    // The host ignores or catches SIGTERM; an ignored signal would be
    // inherited through exec, and the child must still end by it.
    const auto previous = std::signal(SIGTERM, SIG_IGN);
    const ProgramRun run = runProgram({"/bin/sh", "-c", "kill -TERM $$; exit 7"}, "");
    std::signal(SIGTERM, previous);
    EXPECT_EQ(run.signal, SIGTERM);
}

TEST(ProgramRun, AProgramThatIsNotExecutableIsNotStarted)
{
    testing::TempFolder temp;
    testing::writeWholeFile(temp / "not-executable", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(temp / "not-executable", std::filesystem::perms::owner_read);
    EXPECT_FALSE(runProgram({temp / "not-executable"}, "").started);
    EXPECT_FALSE(runProgram({""}, "").started);
}

TEST(SplitCommandWords, BlanksQuotesAndBackslashesAsAShellReadsThem)
{
    EXPECT_THAT(*splitCommandWords("sendmail -t -oi"), ElementsAre("sendmail", "-t", "-oi"));
    EXPECT_THAT(*splitCommandWords("  /opt/my mta/x\tb  "), ElementsAre("/opt/my", "mta/x", "b"));
    EXPECT_THAT(*splitCommandWords("'/opt/my mta/send' -f \"a \\\"b\\\" \\\\c\" d\\ e"),
        ElementsAre("/opt/my mta/send", "-f", "a \"b\" \\c", "d e"));
    EXPECT_THAT(*splitCommandWords("x''y \"\" $HOME;ls"), ElementsAre("xy", "", "$HOME;ls"));
    EXPECT_TRUE(splitCommandWords("   ")->empty());
    EXPECT_FALSE(splitCommandWords("sendmail 'open"));
    EXPECT_FALSE(splitCommandWords("sendmail \"open"));
    EXPECT_FALSE(splitCommandWords("sendmail \\"));
}

} // namespace
} // namespace kvn
