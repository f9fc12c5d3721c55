// The news file: its date line, and what the reader does with files that are
// no news file (huge, a FIFO, a folder, unreadable, not UTF-8).
#include "platform/flash/news_file.h"

#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kvn {
namespace {

using testing::TempFolder;
using testing::writeWholeFile;

TEST(NewsFileTest, TheFirstLineGivesTheDateAndTheRestIsTheHtml)
{
    const NewsFile news = parseNewsFile("date: 2026.12.09\r\n<p>New</p>\n");
    EXPECT_EQ(news.date, "2026.12.09");
    EXPECT_EQ(news.html, "<p>New</p>\n");
    EXPECT_EQ(parseNewsFile("date:2026.01.31").date, "2026.01.31");
    EXPECT_EQ(parseNewsFile("date:2026.01.31").html, "");
}

TEST(NewsFileTest, AFirstLineWithoutAWellFormedDateGivesNoDate)
{
    for (const char* text : {"<p>date: 2026.12.09</p>", "date: 2026-12-09\n", "date: 2026.13.01\n",
             "date: 2026.12.00\n", "Date: 2026.12.09\n", "date: 2026.12.9\n", "", "\n"}) {
        const NewsFile news = parseNewsFile(text);
        EXPECT_EQ(news.date, "") << text;
        EXPECT_EQ(news.html, text);
    }
}

TEST(NewsFileTest, NewerComparesTheDatesByteWise)
{
    EXPECT_TRUE(isNewerThan("2026.12.09", "2000.01.02"));
    EXPECT_TRUE(isNewerThan("2026.12.09", ""));
    EXPECT_FALSE(isNewerThan("2026.12.09", "2026.12.09"));
    EXPECT_FALSE(isNewerThan("2026.12.08", "2026.12.09"));
    // A last date that is no date still compares as its bytes.
    EXPECT_TRUE(isNewerThan("2026.12.09", "2026.12.08 and more"));
    EXPECT_FALSE(isNewerThan("", "2000.01.02"));
}

TEST(NewsFileTest, TheReaderTakesRegularFilesUpToTheLimitAndNothingElse)
{
    TempFolder folder;
    writeWholeFile(folder / "news.html", "date: 2026.12.09\n<p>\xff\xfe not UTF-8</p>");
    const std::optional<NewsFile> news = readNewsFile(folder / "news.html");
    ASSERT_TRUE(news);
    EXPECT_EQ(news->date, "2026.12.09");
    EXPECT_EQ(news->html, "<p>\xff\xfe not UTF-8</p>");

    writeWholeFile(folder / "largest", "date: 2026.12.09\n" + std::string(largestNewsFile - 17, 'x'));
    EXPECT_TRUE(readNewsFile(folder / "largest"));
    writeWholeFile(folder / "huge", std::string(largestNewsFile + 1, 'x'));
    EXPECT_FALSE(readNewsFile(folder / "huge"));

    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readNewsFile(folder / "fifo")); // returns at once, without a writer
    EXPECT_FALSE(readNewsFile(folder.path()));
    EXPECT_FALSE(readNewsFile(folder / "missing"));
}

TEST(NewsFileTest, TheShippedNewsCarryADate)
{
    const std::optional<NewsFile> news = readNewsFile(KVN_SHIPPED_NEWS);
    ASSERT_TRUE(news);
    EXPECT_TRUE(isNewerThan(news->date, "2000.01.02")) << news->date;
    EXPECT_NE(news->html.find("fscommand:hide_news"), std::string::npos);
}

TEST(NewsFileTest, AnUnreadableFileIsNoNews)
{
    TempFolder folder;
    writeWholeFile(folder / "news.html", "date: 2026.12.09\n<p>x</p>");
    ASSERT_EQ(::chmod((folder / "news.html").c_str(), 0000), 0);
    testing::handOver(folder.path());
    const testing::UnprivilegedRun run = testing::runUnprivileged(
        [&] { return std::string(readNewsFile(folder / "news.html") ? "read" : "refused"); });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output, "refused");
}

} // namespace
} // namespace kvn
