// What the loads do with files that are not what a save wrote: cut short,
// holding records of unknown kinds, not regular files, or left half-made by a
// killed save; what a reader leaves alone; and profile names that would reach
// outside the installation folder.
#include "lists/list_records.h"
#include "lists/profile_data.h"
#include "tests/lists/profile_fixture.h"
#include "tests/support/unprivileged.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kvn {
namespace {

using testing::ProfileFixture;
using testing::readWholeFile;
using testing::writeWholeFile;

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class DamagedFilesTest : public ::testing::Test, public ProfileFixture {
protected:
    // The sample profile saved, then lists.lst cut three bytes short.
    std::string savedThenCut()
    {
        ProfileData original = makeData();
        testing::fillSample(original);
        EXPECT_TRUE(original.saveAll().ok());
        std::string bytes = readWholeFile(filePath(DataFile::Lists));
        bytes.resize(bytes.size() - 3);
        writeWholeFile(filePath(DataFile::Lists), bytes);
        return bytes;
    }
};

TEST_F(DamagedFilesTest, CopiesOfACutFileAreNumberedAndNotMadeTwice)
{
    const std::string cut = savedThenCut();
    const std::string copy = filePath(DataFile::Lists) + ".damaged";
    ProfileData data = makeData();
    DataProblems problems = data.loadAll();
    EXPECT_TRUE(problems.allRead());
    EXPECT_EQ(problems.cutShort, std::vector<DataFile>{DataFile::Lists});
    ASSERT_EQ(problems.messages.size(), 1u);
    EXPECT_NE(problems.messages[0].find("kept as " + copy), std::string::npos) << problems.messages[0];
    EXPECT_EQ(readWholeFile(copy), cut);

    // Loading the same file again reuses the copy; another damaged file
    // gets the next number, and the first copy stays as it was.
    EXPECT_EQ(makeData().loadAll().cutShort.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(copy + ".1"));
    const std::string shorter = cut.substr(0, cut.size() - 20);
    writeWholeFile(filePath(DataFile::Lists), shorter);
    problems = makeData().loadAll();
    ASSERT_EQ(problems.messages.size(), 1u);
    EXPECT_NE(problems.messages[0].find("kept as " + copy + ".1"), std::string::npos) << problems.messages[0];
    EXPECT_EQ(readWholeFile(copy), cut);
    EXPECT_EQ(readWholeFile(copy + ".1"), shorter);
}

TEST_F(DamagedFilesTest, SkippedKindsAreKeptInACopyBeforeASaveDropsThem)
{
    RecordWriter writer;
    ListEntry odd = testing::listEntry(ListKind::Word, "odd", "");
    odd.kind = 9;
    writeListEntryRecord(writer, odd);
    odd.kind = 0;
    writeListEntryRecord(writer, odd);
    writeListEntryRecord(writer, testing::listEntry(ListKind::Word, "kept", ""));
    const std::string original = writer.take();
    std::filesystem::create_directory(dataFolder());
    writeWholeFile(filePath(DataFile::Lists), original);

    ProfileData data = makeData();
    const DataProblems problems = data.loadAll();
    EXPECT_TRUE(problems.allRead());
    EXPECT_TRUE(problems.cutShort.empty());
    ASSERT_EQ(problems.messages.size(), 1u) << "said once, not once per record";
    EXPECT_NE(problems.messages[0].find("2 record(s)"), std::string::npos) << problems.messages[0];
    ASSERT_TRUE(data.saveAll().ok());
    EXPECT_EQ(readListRecords(readWholeFile(filePath(DataFile::Lists))).records.size(), 1u);
    EXPECT_EQ(readWholeFile(filePath(DataFile::Lists) + ".damaged"), original);
}

// The real file system, except that no copy of a damaged file can be made.
class NoCopies final : public FileSystem {
public:
    bool isFolder(const std::string& path) const override { return realFileSystem().isFolder(path); }
    Status ensurePrivateFolder(const std::string& path) override { return realFileSystem().ensurePrivateFolder(path); }
    FileContents readFile(const std::string& path, std::size_t maxBytes) override
    {
        return realFileSystem().readFile(path, maxBytes);
    }
    Status replaceFile(const std::string& path, std::string_view bytes) override
    {
        if (path.find(".damaged") != std::string::npos)
            return Status::failure("Cannot write " + path + ": No space left on device");
        return realFileSystem().replaceFile(path, bytes);
    }
    FolderListing listFolder(const std::string& path) override { return realFileSystem().listFolder(path); }
    Status removeFile(const std::string& path) override { return realFileSystem().removeFile(path); }
};

TEST_F(DamagedFilesTest, AFileReadInPartWhoseCopyCannotBeKeptIsNotSavedOver)
{
    const std::string cut = savedThenCut();
    NoCopies files;
    ProfileData data = makeData(files);
    const DataProblems problems = data.loadAll();
    EXPECT_FALSE(problems.allRead());
    ASSERT_EQ(problems.messages.size(), 1u);
    EXPECT_NE(problems.messages[0].find("will not be saved over"), std::string::npos) << problems.messages[0];
    const DataProblems saved = data.saveAll();
    ASSERT_EQ(saved.messages.size(), 1u);
    EXPECT_NE(saved.messages[0].find("lists.lst"), std::string::npos) << saved.messages[0];
    EXPECT_EQ(readWholeFile(filePath(DataFile::Lists)), cut);
}

TEST_F(DamagedFilesTest, AFifoIsRefusedAtOnceAndNeverSavedOver)
{
    std::filesystem::create_directory(dataFolder());
    ASSERT_EQ(::mkfifo(filePath(DataFile::Lists).c_str(), 0600), 0);
    ProfileData data = makeData();
    const DataProblems loaded = data.loadAll(); // would block for ever on open
    ASSERT_EQ(loaded.messages.size(), 1u);
    EXPECT_NE(loaded.messages[0].find("a FIFO"), std::string::npos) << loaded.messages[0];
    EXPECT_FALSE(loaded.allRead());
    testing::fillSample(data);
    EXPECT_FALSE(data.saveAll().ok());
    struct stat info { };
    ASSERT_EQ(::lstat(filePath(DataFile::Lists).c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(DamagedFilesTest, AnUnreadableFileIsReportedByBothLoadsAndNeverSavedOver)
{
    ProfileData saved = makeData();
    testing::fillSample(saved);
    ASSERT_TRUE(saved.saveAll().ok());
    const std::string before = readWholeFile(filePath(DataFile::Lists));
    testing::handOver(temp.path());
    ASSERT_EQ(::chmod(filePath(DataFile::Lists).c_str(), 0), 0);
    const testing::UnprivilegedRun run = testing::runUnprivileged([&] {
        ProfileData reader = makeData();
        std::string outcome = reader.readAll().allRead() ? "read, " : "refused, ";
        ProfileData writer = makeData();
        const DataProblems loaded = writer.loadAll();
        outcome += loaded.allRead() ? "read, " : "refused, ";
        writer.lists().sequence(ListKind::Word, true).push_back(testing::listEntry(ListKind::Word, "new", ""));
        outcome += writer.saveAll().ok() ? "saved" : "not saved";
        return outcome + "|" + (loaded.messages.empty() ? std::string() : loaded.messages[0]);
    });
    ASSERT_EQ(::chmod(filePath(DataFile::Lists).c_str(), 0600), 0);
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output.substr(0, run.output.find('|')), "refused, refused, not saved");
    EXPECT_NE(run.output.find("Permission denied"), std::string::npos) << run.output;
    EXPECT_EQ(readWholeFile(filePath(DataFile::Lists)), before);
}

TEST_F(DamagedFilesTest, AFileLargerThanAnyProfileIsRefusedUnreadAndKept)
{
    std::filesystem::create_directory(dataFolder());
    writeWholeFile(filePath(DataFile::Statistics), "");
    std::filesystem::resize_file(filePath(DataFile::Statistics), maxDataFileBytes + 1); // sparse: costs nothing
    ProfileData data = makeData();
    const DataProblems loaded = data.loadAll();
    ASSERT_EQ(loaded.messages.size(), 1u);
    EXPECT_NE(loaded.messages[0].find("too large"), std::string::npos) << loaded.messages[0];
    EXPECT_FALSE(data.saveAll().ok());
    EXPECT_EQ(std::filesystem::file_size(filePath(DataFile::Statistics)), maxDataFileBytes + 1);
}

TEST_F(DamagedFilesTest, AReaderCreatesAndChangesNothing)
{
    // No data folder yet: a new profile reads as empty.
    ProfileData fresh = makeData();
    EXPECT_TRUE(fresh.readAll().ok());
    EXPECT_FALSE(std::filesystem::exists(dataFolder()));
    EXPECT_TRUE(fresh.lists().sequence(ListKind::Address, true).empty());

    // A writer's first save has not happened yet: the reader must not make
    // the empty files it would then rename over the writer's.
    std::filesystem::create_directory(dataFolder());
    EXPECT_TRUE(makeData().readAll().ok());
    EXPECT_TRUE(namesIn(dataFolder()).empty());

    // A cut file is shown up to the cut, with no copy made; a temporary
    // file may be a live save's and stays.
    const std::string cut = savedThenCut();
    writeWholeFile(filePath(DataFile::Lists) + ".tmp.Ab12Cd", "a save in progress");
    const std::vector<std::string> before = namesIn(dataFolder());
    ProfileData reader = makeData();
    const DataProblems problems = reader.readAll();
    EXPECT_EQ(problems.cutShort, std::vector<DataFile>{DataFile::Lists});
    EXPECT_TRUE(problems.allRead());
    EXPECT_EQ(reader.lists().sequence(ListKind::FileType, false).size(), 1u);
    EXPECT_EQ(namesIn(dataFolder()), before);

    // And it cannot be saved back into the data folder.
    EXPECT_FALSE(reader.saveAll().ok());
    EXPECT_EQ(readWholeFile(filePath(DataFile::Lists)), cut);
}

TEST_F(DamagedFilesTest, AWriterRemovesTheTemporariesOfAKilledSaveOnly)
{
    ProfileData saved = makeData();
    testing::fillSample(saved);
    ASSERT_TRUE(saved.saveAll().ok());
    for (const char* name : {"lists.lst.tmp.Ab12Cd", "Statistics.kvn.tmp.000000", "own.kvn.damaged.tmp.xYz789"})
        writeWholeFile(dataFolder() + "/" + name, "left by a killed save");
    for (const char* name : {"notes.tmp.Ab12Cd", "lists.lst.tmp.short", "lists.lst.tmp.toolong1", "kvn.lock"})
        writeWholeFile(dataFolder() + "/" + name, "not ours to remove");
    ProfileData data = makeData();
    EXPECT_TRUE(data.loadAll().ok());
    EXPECT_EQ(namesIn(dataFolder()),
        (std::vector<std::string>{"Statistics.kvn", "kvn.lock", "lists.lst", "lists.lst.tmp.short",
            "lists.lst.tmp.toolong1", "notes.tmp.Ab12Cd", "own.kvn", "qEmails.lst"}));
}

TEST_F(DamagedFilesTest, AProfileNameThatIsNotAFolderNameTouchesNothing)
{
    const std::string outside = temp / "escape";
    for (const std::string& name : std::vector<std::string>{"..", "../escape", ".", "a/b", "x\ny", ""}) {
        ProfileData data(installDir(), name, realFileSystem(), clock);
        EXPECT_EQ(data.dataFolder(), "") << name;
        const DataProblems loaded = data.loadAll();
        ASSERT_EQ(loaded.messages.size(), 1u) << name;
        EXPECT_NE(loaded.messages[0].find("profile name"), std::string::npos) << loaded.messages[0];
        EXPECT_FALSE(data.readAll().ok());
        testing::fillSample(data);
        EXPECT_FALSE(data.saveAll().ok()) << name;
        EXPECT_FALSE(data.saveAll(temp.path()).ok()) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_TRUE(namesIn(installDir()).empty());
    EXPECT_EQ(namesIn(temp.path()), std::vector<std::string>{"install"});
}

} // namespace
} // namespace kvn
