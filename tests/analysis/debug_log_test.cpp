// The debug log over a real file: where it goes, the exact lines, when it is
// written, and whole lines from two threads at once.
#include "analysis/debug_log.h"

#include "tests/support/local_time.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <thread>

namespace kvn {
namespace {

using testing::TempFolder;

using testing::modeOf;

// Points XDG_STATE_HOME at a folder inside a temporary folder for one test.
class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_STATE_HOME", (folder_ / "state").c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_STATE_HOME"); }

    DebugLog makeLog() { return DebugLog(openAppendOnlyFile(debugLogPath()), clock_); }

    TempFolder folder_;
    // 12:05:09.007 in Berlin in March is 11:05:09.007 UTC.
    SettableClock clock_{testing::oleDateOf(2024, 3, 15, 12, 5, 9) + 7 / 86400000.0};
};

TEST_F(DebugLogTest, WritesExactLinesIntoAPrivateFileUnderTheStateFolder)
{
    EXPECT_EQ(debugLogPath(), folder_ / "state/korvane/KVNLog.txt");
    DebugLog log = makeLog();
    log.start(true);
    log.line("  AnalizeNewMail - entering - ");
    log.line("  AnalizeNewMail - search - ", " - [UnRead]=true");
    log.line("  GetAllInboxFolders - p3 - Personal Folders - ");
    log.Append("as it is");

    EXPECT_EQ(testing::readWholeFile(debugLogPath()),
        "  AnalizeNewMail - entering - 11:5:9.7\r\n"
        "  AnalizeNewMail - search - 11:5:9.7 - [UnRead]=true\r\n"
        "  GetAllInboxFolders - p3 - Personal Folders - 11:5:9.7\r\n"
        "as it is");
    EXPECT_EQ(modeOf(debugLogPath()), 0600);
    EXPECT_EQ(modeOf(folder_ / "state/korvane"), 0700);
    EXPECT_EQ(modeOf(folder_ / "state"), 0700) << "a missing state folder is made private too";

    clock_.set(testing::oleDateOf(2024, 7, 1, 0, 0, 0) + 999 / 86400000.0);
    log.line("x ");
    EXPECT_TRUE(testing::readWholeFile(debugLogPath()).ends_with("x 22:0:0.999\r\n")) << "summer time, day before";
}

TEST_F(DebugLogTest, WritesOnlyWhileLoggingIsOnAndTruncatesOnlyAtAStartWithLoggingOn)
{
    DebugLog log = makeLog();
    log.line("off ");
    log.Append("off");
    EXPECT_FALSE(std::filesystem::exists(debugLogPath())) << "nothing is created while logging is off";

    std::filesystem::create_directories(folder_ / "state/korvane");
    testing::writeWholeFile(debugLogPath(), "old\r\n");
    log.start(false);
    EXPECT_EQ(testing::readWholeFile(debugLogPath()), "old\r\n");
    log.start(true);
    EXPECT_EQ(testing::readWholeFile(debugLogPath()), "");
    log.line("on ");
    log.setEnabled(false);
    log.line("off again ");
    EXPECT_EQ(testing::readWholeFile(debugLogPath()), "on 11:5:9.7\r\n");
}

TEST_F(DebugLogTest, ALogDeletedMeanwhileIsMadeAnewAndOneThatCannotBeWrittenStopsNothing)
{
    DebugLog log = makeLog();
    log.start(true);
    log.line("one ");
    std::filesystem::remove(debugLogPath());
    log.line("two ");
    EXPECT_EQ(testing::readWholeFile(debugLogPath()), "two 11:5:9.7\r\n");

    // A FIFO at the log's place is refused at once, never waited on.
    std::filesystem::remove(debugLogPath());
    ASSERT_EQ(::mkfifo(debugLogPath().c_str(), 0600), 0);
    log.line("three ");
    EXPECT_FALSE(openAppendOnlyFile(debugLogPath())->append("x").ok());
    std::filesystem::remove(debugLogPath());

    // A folder the user may not write into.
    ::chmod((folder_ / "state/korvane").c_str(), 0500);
    testing::handOver(folder_.path());
    const testing::UnprivilegedRun run = testing::runUnprivileged([] {
        return openAppendOnlyFile(debugLogPath())->append("x").ok() ? std::string("written") : std::string("refused");
    });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output, "refused");
}

TEST_F(DebugLogTest, LinesFromTwoThreadsAtOnceReachTheFileWhole)
{
    DebugLog log = makeLog();
    log.start(true);
    constexpr int linesEach = 3000;
    const std::string longText(5000, 'b');
    std::thread first([&] {
        for (int i = 0; i < linesEach; ++i)
            log.line("first ", " " + std::to_string(i));
    });
    std::thread second([&] {
        for (int i = 0; i < linesEach; ++i)
            log.line("second " + longText + " ");
    });
    first.join();
    second.join();

    const std::string text = testing::readWholeFile(debugLogPath());
    std::map<std::string, int> counts;
    std::size_t at = 0;
    int next = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "the file ends in a whole line";
        const std::string lineText = text.substr(at, end - at);
        at = end + 2;
        if (lineText.starts_with("first ")) {
            ASSERT_EQ(lineText, "first 11:5:9.7 " + std::to_string(next)) << "lines of one thread stay in order";
            ++next;
        } else {
            ASSERT_EQ(lineText, "second " + longText + " 11:5:9.7");
        }
        ++counts[lineText.substr(0, lineText.find(' '))];
    }
    EXPECT_EQ(counts["first"], linesEach);
    EXPECT_EQ(counts["second"], linesEach);
}

} // namespace
} // namespace kvn
