// Starting real programs without a shell: exit statuses, arguments passed
// whole, programs found along PATH, and programs that cannot be started.
#include "platform/core/program_run.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace kvn {
namespace {

TEST(ProgramRun, GivesTheExitStatusAndPassesEachArgumentWhole)
{
    // The script fails unless it gets exactly two arguments, unsplit and unquoted.
    const std::string check
        = "test \"$#\" = 2 && test \"$1\" = 'a folder/with spaces' && test \"$2\" = '\"quoted\" $HOME'";
    EXPECT_EQ(runProgramAndWait("/bin/sh", {"-c", check, "sh", "a folder/with spaces", "\"quoted\" $HOME"}), 0);
    EXPECT_EQ(runProgramAndWait("/bin/sh", {"-c", check, "sh", "a", "folder/with spaces"}), 1);
    EXPECT_EQ(runProgramAndWait("/bin/sh", {"-c", "exit 42"}), 42);
}

TEST(ProgramRun, ABareNameIsLookedForAlongPath)
{
    EXPECT_EQ(runProgramAndWait("true", {}), 0);
    EXPECT_EQ(runProgramAndWait("false", {}), 1);
}

TEST(ProgramRun, AProgramEndedBySignalGivesTheSignalAbove128)
{
    EXPECT_EQ(runProgramAndWait("/bin/sh", {"-c", "kill -TERM $$"}), 128 + SIGTERM);
}

TEST(ProgramRun, TheChildStartsWithDefaultSignalsEvenWhenTheCallerIgnoresThem)
{
    // An ignored SIGTERM would be inherited through exec; the child must
    // still end by it.
    const auto previous = std::signal(SIGTERM, SIG_IGN);
    const auto status = runProgramAndWait("/bin/sh", {"-c", "kill -TERM $$; exit 7"});
    std::signal(SIGTERM, previous);
    EXPECT_EQ(status, 128 + SIGTERM);
}

TEST(ProgramRun, AMissingOrUnrunnableProgramIsNotStarted)
{
    testing::TempFolder temp;
    EXPECT_EQ(runProgramAndWait(temp / "missing", {}), std::nullopt);
    EXPECT_EQ(runProgramAndWait("kvn-no-such-program-anywhere", {}), std::nullopt);
    EXPECT_EQ(runProgramAndWait("", {}), std::nullopt);
    testing::writeWholeFile(temp / "not-executable", "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(temp / "not-executable", std::filesystem::perms::owner_read);
    EXPECT_EQ(runProgramAndWait(temp / "not-executable", {}), std::nullopt);
    EXPECT_EQ(runProgramAndWait(temp.path(), {}), std::nullopt) << "a folder is no program";
}

} // namespace
} // namespace kvn
