#include "tests/support/temp_folder.h"
#include "tests/tools/kvnctl_run.h"

#include "platform/core/profile_lock.h"
#include "tests/platform/lock_holder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace kvn::testing {
namespace {

class ListsCommands : public ::testing::Test {
protected:
    KvnctlResult run(std::vector<std::string> words) { return runKvnctl(install.path(), std::move(words)); }
    std::string listsFile() const { return install / "Test/lists.lst"; }

    TempFolder install;
};

TEST_F(ListsCommands, AddedEntriesShowInSequenceOrderWithEveryField)
{
    ASSERT_EQ(run({"lists", "add", "--white", "address", "Zed@Example.org", "--name", "Zed"}).status, 0);
    ASSERT_EQ(run({"lists", "add", "--white", "address", "anna@example.org"}).status, 0);
    ASSERT_EQ(run({"lists", "add", "--black", "iprange", "10.0.0.1", "--to", "10.0.0.9"}).status, 0);
    ASSERT_EQ(run({"lists", "add", "--black", "filetype", ".EXE"}).status, 0);

    const KvnctlResult shown = run({"lists", "show", "--white", "--kind", "address", "--json"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    // The address is kept in lower case and sorted into its first letter's run.
    const std::size_t anna = shown.out.find("\"extra\": \"anna@example.org\"");
    const std::size_t zed = shown.out.find("\"extra\": \"zed@example.org\"");
    ASSERT_NE(anna, std::string::npos) << shown.out;
    ASSERT_NE(zed, std::string::npos) << shown.out;
    EXPECT_LT(anna, zed);
    EXPECT_NE(shown.out.find("\"value\": \"Zed\""), std::string::npos);
    EXPECT_NE(shown.out.find("\"receivedCount\": 0"), std::string::npos);
    EXPECT_EQ(shown.out.find("10.0.0.1"), std::string::npos) << "--white --kind address showed a black IP range";

    const KvnctlResult black = run({"lists", "show", "--black"});
    EXPECT_NE(black.out.find("10.0.0.9"), std::string::npos) << black.out;
    EXPECT_NE(black.out.find("black  attached file type  exe "), std::string::npos) << black.out;
}

TEST_F(ListsCommands, BadInputIsRefusedAndNothingIsWritten)
{
    ASSERT_EQ(run({"lists", "add", "--white", "domain", "example.org"}).status, 0);
    const std::string before = readWholeFile(listsFile());

    EXPECT_EQ(run({"lists", "add", "--white", "colour", "red"}).status, 2);
    EXPECT_EQ(run({"lists", "add", "--white", "address", "no-at-sign"}).status, 2);
    EXPECT_EQ(run({"lists", "add", "--black", "iprange", "10.0.0", "--to", "10.0.0.9"}).status, 2);
    EXPECT_EQ(run({"lists", "add", "--black", "iprange", "10.0.0.1", "--to", "ten"}).status, 2);
    EXPECT_EQ(run({"lists", "add", "address", "a@b.c"}).status, 2) << "no polarity";
    EXPECT_EQ(run({"lists", "add", "--white", "--black", "address", "a@b.c"}).status, 2);
    EXPECT_EQ(readWholeFile(listsFile()), before);
}

TEST_F(ListsCommands, RemovingTakesTheEntryAwayAndKeepsTheRest)
{
    ASSERT_EQ(run({"lists", "add", "--black", "address", "spam@bad.example"}).status, 0);
    ASSERT_EQ(run({"lists", "add", "--black", "address", "more@bad.example"}).status, 0);
    ASSERT_EQ(run({"lists", "remove", "--black", "address", "SPAM@bad.example"}).status, 0);

    const KvnctlResult shown = run({"lists", "show", "--json"});
    EXPECT_EQ(shown.out.find("spam@bad.example"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("more@bad.example"), std::string::npos) << shown.out;
    EXPECT_NE(run({"lists", "remove", "--black", "address", "spam@bad.example"}).status, 0);
}

TEST_F(ListsCommands, DumpShowsEveryRecordAndWhereACutFileEnds)
{
    ASSERT_EQ(run({"lists", "add", "--white", "word", "hello"}).status, 0);
    ASSERT_EQ(run({"lists", "add", "--white", "word", "world"}).status, 0);
    const std::string whole = readWholeFile(listsFile());
    writeWholeFile(install / "cut.lst", whole.substr(0, whole.size() - 3));

    const KvnctlResult dump = run({"lists", "dump", install / "cut.lst", "--json"});
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_NE(dump.out.find("\"value\": \"hello\""), std::string::npos) << dump.out;
    EXPECT_EQ(dump.out.find("\"value\": \"world\""), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("\"complete\": false"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("\"cutAt\": " + std::to_string(whole.size() / 2)), std::string::npos) << dump.out;

    EXPECT_EQ(run({"lists", "dump", install / "missing.lst"}).status, 1);
}

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(ListsCommands, StatsOfAFreshProfileAreZero)
{
    const KvnctlResult stats = run({"stats", "show", "--json"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    EXPECT_EQ(occurrences(stats.out, "\"count\": "), 21u) << stats.out;
    EXPECT_EQ(occurrences(stats.out, "\"count\": 0"), 21u) << stats.out;
    for (const char* list : {"blocked", "quarantined", "accepted"}) {
        EXPECT_NE(stats.out.find("\"" + std::string(list) + "\": []"), std::string::npos) << stats.out;
        EXPECT_NE(stats.out.find("\"" + std::string(list) + "\": 0"), std::string::npos) << stats.out;
    }
}

TEST_F(ListsCommands, ASecondWriterIsRefused)
{
    ASSERT_EQ(run({"lists", "add", "--white", "domain", "example.org"}).status, 0);
    auto held = ProfileLock::acquire(install / "Test");
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ProfileLock>>(held));
    const KvnctlResult refused = run({"lists", "add", "--white", "domain", "other.org"});
    EXPECT_EQ(refused.status, kvnctl::exitProfileInUse);
    EXPECT_NE(refused.err.find("(process " + std::to_string(::getpid()) + ")"), std::string::npos) << refused.err;
}

TEST_F(ListsCommands, ASecondKvnctlWaitsForTheFirstButNotForTheHost)
{
    ASSERT_EQ(run({"lists", "add", "--white", "domain", "example.org"}).status, 0);
    {
        LockHolder host(install / "Test", "korvane");
        ASSERT_TRUE(host.holds()) << host.firstLine();
        const KvnctlResult refused = run({"lists", "add", "--white", "domain", "other.org"});
        EXPECT_EQ(refused.status, kvnctl::exitProfileInUse);
        EXPECT_NE(
            refused.err.find("in use by korvane (process " + std::to_string(host.pid()) + ")\n"), std::string::npos)
            << refused.err;
    }
    {
        LockHolder other(install / "Test", "kvnctl");
        ASSERT_TRUE(other.holds()) << other.firstLine();
        const KvnctlResult refused = run({"lists", "add", "--white", "domain", "other.org"});
        EXPECT_EQ(refused.status, kvnctl::exitProfileInUse);
        EXPECT_NE(refused.err.find("in use by kvnctl (process " + std::to_string(other.pid()) + "); waited"),
            std::string::npos)
            << refused.err;

        std::thread finish([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            other.release();
        });
        const KvnctlResult waited = run({"lists", "add", "--white", "domain", "other.org"});
        finish.join();
        EXPECT_EQ(waited.status, 0) << waited.err;
    }
}

TEST(AnalysisCommands, FilterDateAndSenderIp)
{
    TempFolder folder;
    writeWholeFile(folder / "message.eml",
        "Received: from a (a [192.0.2.7])\r\nSubject: x\r\n\r\nReceived: from b "
        "(b [10.0.0.1])\r\n");
    EXPECT_EQ(runKvnctl(folder.path(), {"sender-ip", folder / "message.eml"}).out, "192.0.2.7\n");
    EXPECT_EQ(runKvnctl(folder.path(), {"sender-ip", folder / "missing.eml"}).status, 1);
    EXPECT_EQ(runKvnctl(folder.path(), {"filter-date", "0"}).out, "Jan 01 2000 12:00 AM\n");
    EXPECT_EQ(runKvnctl(folder.path(), {"filter-date", "soon"}).status, 2);
}

} // namespace
} // namespace kvn::testing
