// kvnctl on profiles whose data is new, cut short, not a file, or named so
// that it would leave the installation folder.
#include "tests/support/temp_folder.h"
#include "tests/tools/kvnctl_run.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvn::testing {
namespace {

class ProfileDataCommands : public ::testing::Test {
protected:
    KvnctlResult run(std::vector<std::string> words) { return runKvnctl(install.path(), std::move(words)); }
    std::string listsFile() const { return install / "Test/lists.lst"; }

    TempFolder install;
};

TEST_F(ProfileDataCommands, ANewProfileShowsEmptyListsAndCreatesNothing)
{
    const KvnctlResult lists = run({"lists", "show", "--json"});
    EXPECT_EQ(lists.status, 0) << lists.err;
    EXPECT_NE(lists.out.find("\"entries\": []"), std::string::npos) << lists.out;
    const KvnctlResult stats = run({"stats", "show"});
    EXPECT_EQ(stats.status, 0) << stats.err;
    EXPECT_TRUE(std::filesystem::is_empty(install.path())) << "a reader made the profile's folder";
}

// A newcomer's first command, before anything made the default installation
// folder. Run in a child, so that the process-wide registry it opens on the
// way is a throw-away one.
TEST(NewcomerCommands, ShowWorksBeforeTheDefaultInstallationFolderExists)
{
    TempFolder home;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        ::setenv("KORVANE_REGISTRY", (home / "registry").c_str(), 1);
        int failures = 0;
        for (const char* group : {"lists", "stats"}) {
            std::ostringstream out;
            std::ostringstream err;
            kvnctl::CommandContext context(kvnctl::GlobalOptions{}, kvnctl::Arguments({"show"}), out, err);
            for (const kvnctl::CommandGroup& candidate : kvnctl::commandGroups())
                if (std::string(candidate.name) == group)
                    failures += candidate.run(context) != kvnctl::exitSuccess;
        }
        ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a show command failed on a new profile";
    EXPECT_FALSE(std::filesystem::exists(home / "data")) << "a reader made the installation folder";
}

TEST_F(ProfileDataCommands, ACutListsFileIsShownAndEditedOnlyWhenAsked)
{
    ASSERT_EQ(run({"lists", "add", "--white", "word", "hello"}).status, 0);
    ASSERT_EQ(run({"lists", "add", "--white", "word", "world"}).status, 0);
    const std::string whole = readWholeFile(listsFile());
    const std::string cut = whole.substr(0, whole.size() - 3);
    writeWholeFile(listsFile(), cut);

    const KvnctlResult shown = run({"lists", "show", "--json"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("\"value\": \"hello\""), std::string::npos) << shown.out;
    EXPECT_FALSE(std::filesystem::exists(listsFile() + ".damaged")) << "a reader made a copy";

    // Twice refused: each time the hint, one copy of the original, no change.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const KvnctlResult refused = run({"lists", "add", "--white", "word", "again"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find("--keep-what-was-read"), std::string::npos) << refused.err;
        EXPECT_EQ(readWholeFile(listsFile()), cut);
    }
    EXPECT_EQ(readWholeFile(listsFile() + ".damaged"), cut);
    EXPECT_FALSE(std::filesystem::exists(listsFile() + ".damaged.1"));

    const KvnctlResult kept = run({"lists", "add", "--keep-what-was-read", "--white", "word", "again"});
    EXPECT_EQ(kept.status, 0) << kept.err;
    const KvnctlResult after = run({"lists", "show", "--json"});
    EXPECT_NE(after.out.find("\"value\": \"hello\""), std::string::npos) << after.out;
    EXPECT_NE(after.out.find("\"value\": \"again\""), std::string::npos) << after.out;
    EXPECT_EQ(run({"lists", "remove", "--white", "word", "again"}).status, 0) << "whole again: no flag needed";
}

TEST_F(ProfileDataCommands, AFifoIsRefusedNotWaitedFor)
{
    std::filesystem::create_directory(install / "Test");
    ASSERT_EQ(::mkfifo(listsFile().c_str(), 0600), 0);
    // The loads name the FIFO on stderr (tested with the lists); here it is
    // enough that each command comes back, with status 1.
    EXPECT_EQ(run({"lists", "show"}).status, 1);
    EXPECT_EQ(run({"lists", "add", "--white", "word", "x"}).status, 1);
    const KvnctlResult dump = run({"lists", "dump", listsFile()});
    EXPECT_EQ(dump.status, 1);
    EXPECT_NE(dump.err.find("it is a FIFO"), std::string::npos) << dump.err;
}

TEST_F(ProfileDataCommands, AProfileNameThatIsNotAFolderNameIsAUsageError)
{
    for (const std::string name : {"..", "../escape", "a/b", "."}) {
        for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
                 {"lists", "show"}, {"lists", "add", "--white", "word", "x"}, {"stats", "show"}}) {
            const KvnctlResult result = runKvnctl(install.path(), words, name);
            EXPECT_EQ(result.status, 2) << name << " " << words[0] << " " << words[1];
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(install.path()));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(install.path()).parent_path() / "escape"));
}

} // namespace
} // namespace kvn::testing
