// kvnctl as scripts use it: exit statuses, the add-item rules on the command
// line, "--", the help of every command, and output that cannot be written.
#include "tests/support/temp_folder.h"
#include "tests/tools/kvnctl_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>

namespace kvn::testing {
namespace {

using kvnctl::exitFileError;
using kvnctl::exitNothingToChange;
using kvnctl::exitSuccess;
using kvnctl::exitUsageError;

class CommandLine : public ::testing::Test {
protected:
    KvnctlResult run(std::vector<std::string> words) { return runKvnctl(install.path(), std::move(words)); }
    std::string shownJson() { return run({"lists", "show", "--json"}).out; }
    bool isShown(const std::string& jsonField) { return shownJson().find(jsonField) != std::string::npos; }

    TempFolder install;
};

TEST_F(CommandLine, NothingToChangeHasItsOwnStatus)
{
    ASSERT_EQ(run({"lists", "add", "--black", "domain", "spam.biz"}).status, exitSuccess);
    const KvnctlResult again = run({"lists", "add", "--black", "domain", "mail.spam.biz"});
    EXPECT_EQ(again.status, exitNothingToChange);
    EXPECT_NE(again.err.find("This domain - mail.spam.biz - is already in this list"), std::string::npos) << again.err;
    EXPECT_EQ(run({"lists", "remove", "--white", "domain", "spam.biz"}).status, exitNothingToChange);
    EXPECT_EQ(run({"lists", "remove", "--black", "word", "never"}).status, exitNothingToChange);
    EXPECT_EQ(run({"lists", "add", "--black", "colour", "red"}).status, exitUsageError);
}

TEST_F(CommandLine, AddAcceptsWhatTheAddItemRulesAccept)
{
    for (const char* address : {"@", "a@", "a@b c", "@example.org"})
        EXPECT_EQ(run({"lists", "add", "--white", "address", address}).status, exitUsageError) << address;
    EXPECT_EQ(run({"lists", "add", "--white", "word", "   "}).status, exitUsageError);
    EXPECT_EQ(run({"lists", "add", "--white", "word", ","}).status, exitUsageError);
    const KvnctlResult nowhere = run({"lists", "add", "--black", "country", "NOWHERE"});
    EXPECT_EQ(nowhere.status, exitUsageError);
    EXPECT_NE(nowhere.err.find("NOWHERE is not a country of the country list"), std::string::npos) << nowhere.err;
    EXPECT_FALSE(std::filesystem::exists(install / "Test/lists.lst")) << "a refused entry wrote the lists";

    ASSERT_EQ(run({"lists", "add", "--black", "domain", "@Spam.biz, Other.Example"}).status, exitSuccess);
    ASSERT_EQ(run({"lists", "add", "--black", "filetype", ".EXE"}).status, exitSuccess);
    ASSERT_EQ(run({"lists", "add", "--black", "country", "puerto rico"}).status, exitSuccess);
    ASSERT_EQ(run({"lists", "add", "--white", "address", "Ann@Example.org, bob@b.example", "--name", "Ann"}).status,
        exitSuccess);
    const std::string shown = shownJson();
    for (const char* stored : {"\"value\": \"spam.biz\"", "\"value\": \"other.example\"", "\"value\": \"exe\"",
             "\"value\": \"PUERTO RICO\"", "\"extra\": \"ann@example.org\"", "\"extra\": \"bob@b.example\""})
        EXPECT_NE(shown.find(stored), std::string::npos) << stored << " in " << shown;
}

TEST_F(CommandLine, AValueOnTheOtherListMovesOnlyWhenAsked)
{
    ASSERT_EQ(run({"lists", "add", "--black", "domain", "example.org"}).status, exitSuccess);
    const KvnctlResult asked = run({"lists", "add", "--white", "domain", "mail.example.org"});
    EXPECT_EQ(asked.status, exitNothingToChange);
    EXPECT_NE(asked.err.find("is currently blocked (in Black List)"), std::string::npos) << asked.err;
    EXPECT_NE(asked.err.find("--move"), std::string::npos) << asked.err;

    ASSERT_EQ(run({"lists", "add", "--white", "domain", "mail.example.org", "--move"}).status, exitSuccess);
    EXPECT_FALSE(isShown("\"value\": \"example.org\""));
    EXPECT_TRUE(isShown("\"value\": \"mail.example.org\""));

    ASSERT_EQ(run({"lists", "add", "--black", "iprange", "10.0.0.0", "--to", "10.0.0.255"}).status, exitSuccess);
    const KvnctlResult range = run({"lists", "add", "--white", "iprange", "10.0.0.8", "--to", "10.0.1.0", "--move"});
    EXPECT_EQ(range.status, exitNothingToChange) << "an overlapping range is never moved";
    EXPECT_NE(range.err.find("already contained in the blocked list"), std::string::npos) << range.err;
}

TEST_F(CommandLine, DoubleDashEndsTheOptions)
{
    ASSERT_EQ(run({"lists", "add", "--black", "word", "--", "-Viagra"}).status, exitSuccess);
    EXPECT_TRUE(isShown("\"value\": \"-viagra\""));
    EXPECT_EQ(run({"lists", "add", "--black", "word", "-viagra"}).status, exitUsageError);
    EXPECT_EQ(run({"lists", "remove", "--black", "word", "--", "-viagra"}).status, exitSuccess);
    EXPECT_EQ(run({"lists", "add", "--black", "--", "word", "--white"}).status, exitSuccess)
        << "--white after -- is the value";
}

TEST_F(CommandLine, FilterDateRefusesNumbersNoDateHas)
{
    for (const char* number : {"nan", "inf", "-inf", "1e300", "2958466", "-657435"})
        EXPECT_EQ(run({"filter-date", "--", number}).status, exitUsageError) << number;
    EXPECT_EQ(run({"filter-date", "--", "-1"}).status, exitSuccess);
    EXPECT_EQ(run({"filter-date", "2958465"}).out, "Dec 31 9999 12:00 AM\n");
}

TEST_F(CommandLine, SenderIpRefusesWhatIsNotAFile)
{
    const KvnctlResult folder = run({"sender-ip", install.path()});
    EXPECT_EQ(folder.status, exitFileError);
    EXPECT_NE(folder.err.find(install.path() + ": it is a folder"), std::string::npos) << folder.err;
    EXPECT_EQ(folder.out, "");

    const std::string fifo = install / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const KvnctlResult pipe = run({"sender-ip", fifo});
    EXPECT_EQ(pipe.status, exitFileError);
    EXPECT_NE(pipe.err.find("it is a FIFO (named pipe), not a message file"), std::string::npos) << pipe.err;
}

TEST_F(CommandLine, EveryCommandHasHelp)
{
    for (const kvnctl::CommandGroup& group : kvnctl::commandGroups()) {
        for (const char* help : {"--help", "-h"}) {
            const KvnctlResult shown = run({group.name, help});
            EXPECT_EQ(shown.status, exitSuccess) << group.name;
            EXPECT_NE(shown.out.find(std::string("kvnctl ") + group.name), std::string::npos) << shown.out;
        }
    }
    EXPECT_NE(run({"lists", "add", "--help"}).out.find("--move"), std::string::npos);
    EXPECT_NE(run({"mail", "--help"}).out.find("[ReceivedTime]"), std::string::npos);
    const KvnctlResult top = run({"--help"});
    EXPECT_EQ(top.status, exitSuccess);
    EXPECT_NE(top.out.find("4 the\nprofile is in use"), std::string::npos) << top.out;
}

// A stream whose every write fails, as a full disk makes it.
class FullDisk : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST_F(CommandLine, OutputThatCannotBeWrittenFails)
{
    ASSERT_EQ(run({"lists", "add", "--white", "word", "hello"}).status, exitSuccess);
    FullDisk full;
    std::ostream out(&full);
    std::ostringstream err;
    const int status = kvnctl::dispatchCommandLine(
        {"--install-dir", install.path(), "--profile", "Test", "lists", "show", "--json"}, out, err);
    EXPECT_EQ(status, exitFileError);
    EXPECT_NE(err.str().find("the output could not be written whole"), std::string::npos) << err.str();
}

TEST_F(CommandLine, TheProgramFailsOnAFullDisk)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    ASSERT_EQ(run({"lists", "add", "--white", "word", "hello"}).status, exitSuccess);
    const std::string command = std::string(KVNCTL_PROGRAM) + " --install-dir '" + install.path()
        + "' --profile Test lists show --json > /dev/full 2>/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), exitFileError);
}

} // namespace
} // namespace kvn::testing
