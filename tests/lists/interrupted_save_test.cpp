// A save interrupted anywhere leaves every data file whole: by a file layer
// that fails at each of its calls in turn, and by killing a saving process.
#include "lists/list_records.h"
#include "lists/profile_data.h"
#include "tests/lists/profile_fixture.h"

#include <array>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace kvn {
namespace {

using testing::ProfileFixture;
using testing::readWholeFile;

// The real file system, except that call number failAt (counting from 0) and
// every call after it fail, as when the disk fills up or the process dies.
class FailingFileSystem final : public FileSystem {
public:
    explicit FailingFileSystem(int failAt) : failAt_(failAt) { }

    int calls() const { return calls_; }

    bool isFolder(const std::string& path) const override { return !fails() && realFileSystem().isFolder(path); }
    Status ensurePrivateFolder(const std::string& path) override
    {
        return fails() ? injected() : realFileSystem().ensurePrivateFolder(path);
    }
    FileContents readFile(const std::string& path, std::size_t maxBytes) override
    {
        if (fails())
            return FileContents{injected(), true, {}};
        return realFileSystem().readFile(path, maxBytes);
    }
    Status replaceFile(const std::string& path, std::string_view bytes) override
    {
        return fails() ? injected() : realFileSystem().replaceFile(path, bytes);
    }

private:
    bool fails() const { return calls_++ >= failAt_; }
    static Status injected() { return Status::failure("injected failure"); }

    int failAt_;
    mutable int calls_ = 0;
};

using FileSet = std::array<std::string, 4>;

FileSet filesOf(const ProfileFixture& profile)
{
    FileSet files;
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i] = readWholeFile(profile.filePath(static_cast<DataFile>(i)));
    return files;
}

class InterruptedSaveTest : public ::testing::Test, public ProfileFixture {
protected:
    // Saves the sample profile, then a changed one; returns both file sets.
    std::pair<FileSet, FileSet> oldAndNew()
    {
        ProfileData data = makeData();
        testing::fillSample(data);
        EXPECT_TRUE(data.saveAll().ok());
        const FileSet before = filesOf(*this);
        changeData(data);
        EXPECT_TRUE(data.saveAll().ok());
        const FileSet after = filesOf(*this);
        EXPECT_TRUE(sampleData().saveAll().ok());
        return {before, after};
    }

    static void changeData(ProfileData& data)
    {
        insertAddressEntry(data.lists(), true, testing::listEntry(ListKind::Address, "New", "new@friend.org"));
        data.ownAddresses().push_back({"third@me.org", ""});
        data.quarantineDecisions().clear();
        data.statistics().addStatRecord(1, 3, "Quarantined", "");
    }

    ProfileData sampleData()
    {
        ProfileData data = makeData();
        testing::fillSample(data);
        return data;
    }
};

TEST_F(InterruptedSaveTest, FailureAtEachCallLeavesOldOrNewFilesWholeAndIsReported)
{
    const auto [before, after] = oldAndNew();
    ASSERT_NE(before, after);
    for (int failAt = 0;; ++failAt) {
        ASSERT_EQ(filesOf(*this), before);
        FailingFileSystem failing(failAt);
        ProfileData failingData(installDir(), "Default", failing, clock);
        testing::fillSample(failingData);
        changeData(failingData);
        const DataProblems problems = failingData.saveAll();
        const FileSet now = filesOf(*this);
        for (std::size_t i = 0; i < now.size(); ++i)
            EXPECT_TRUE(now[i] == before[i] || now[i] == after[i]) << "file " << i << " failing at call " << failAt;
        if (problems.ok()) {
            EXPECT_EQ(now, after);
            break;
        }
        EXPECT_NE(now, after) << "a save that reports problems cannot have written everything";
        ASSERT_TRUE(sampleData().saveAll().ok());
    }
}

TEST_F(InterruptedSaveTest, FailureAtEachCallOfALoadRewritesNothing)
{
    const auto [before, after] = oldAndNew();
    for (int failAt = 0;; ++failAt) {
        FailingFileSystem failing(failAt);
        ProfileData data(installDir(), "Default", failing, clock);
        const DataProblems problems = data.loadAll();
        EXPECT_EQ(filesOf(*this), before) << "failing at call " << failAt;
        if (problems.ok())
            break;
    }
}

TEST_F(InterruptedSaveTest, FileUnreadableAtLoadIsNotOverwrittenBySave)
{
    const auto [before, after] = oldAndNew();
    // Reading lists.lst fails; everything else works.
    class FlakyReads final : public FileSystem {
    public:
        bool isFolder(const std::string& path) const override { return realFileSystem().isFolder(path); }
        Status ensurePrivateFolder(const std::string& path) override
        {
            return realFileSystem().ensurePrivateFolder(path);
        }
        FileContents readFile(const std::string& path, std::size_t maxBytes) override
        {
            if (path.ends_with("/lists.lst"))
                return FileContents{Status::failure("Cannot read " + path + ": Input/output error"), true, {}};
            return realFileSystem().readFile(path, maxBytes);
        }
        Status replaceFile(const std::string& path, std::string_view bytes) override
        {
            return realFileSystem().replaceFile(path, bytes);
        }
    } flaky;
    ProfileData flakyData(installDir(), "Default", flaky, clock);
    const DataProblems loaded = flakyData.loadAll();
    ASSERT_EQ(loaded.messages.size(), 1u);
    EXPECT_TRUE(flakyData.lists().sequence(ListKind::Address, true).empty());
    flakyData.ownAddresses().push_back({"another@me.org", ""});
    const DataProblems saved = flakyData.saveAll();
    ASSERT_EQ(saved.messages.size(), 1u);
    EXPECT_NE(saved.messages[0].find("Not saving"), std::string::npos);
    EXPECT_EQ(readWholeFile(filePath(DataFile::Lists)), before[0]);
    EXPECT_NE(readWholeFile(filePath(DataFile::OwnAddresses)), before[1]) << "the other files are saved";
}

// A child saves two different profiles' data in turn as fast as it can; it is
// killed at random moments. Every file must then read whole and be one of the
// two versions.
TEST_F(InterruptedSaveTest, KilledWriterLeavesEveryFileWhole)
{
    const auto [before, after] = oldAndNew();
    std::mt19937 random(12345);
    for (int round = 0; round < 40; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ProfileData first = makeData();
            testing::fillSample(first);
            ProfileData second = makeData();
            testing::fillSample(second);
            changeData(second);
            for (;;) {
                (void)first.saveAll();
                (void)second.saveAll();
            }
        }
        ::usleep(static_cast<useconds_t>(1000 + random() % 30000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        const FileSet now = filesOf(*this);
        for (std::size_t i = 0; i < now.size(); ++i)
            ASSERT_TRUE(now[i] == before[i] || now[i] == after[i]) << "file " << i << " in round " << round;
        ProfileData loaded = makeData();
        ASSERT_TRUE(loaded.loadAll().ok()) << "round " << round;
    }
}

} // namespace
} // namespace kvn
