#include "platform/core/file_system.h"

#include "tests/support/temp_folder.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>

namespace kvn {
namespace {

using testing::TempFolder;

int modeOf(const std::string& path)
{
    struct stat info { };
    ::stat(path.c_str(), &info);
    return static_cast<int>(info.st_mode & 0777);
}

TEST(FileSystem, ReplacesAFileWholeAndPrivately)
{
    TempFolder folder;
    FileSystem& files = realFileSystem();
    const std::string path = folder / "data.bin";

    ASSERT_TRUE(files.replaceFile(path, std::string("one\0two", 7)).ok());
    ASSERT_TRUE(files.replaceFile(path, "three").ok());

    const FileContents contents = files.readFile(path, 1024);
    EXPECT_TRUE(contents.status.ok());
    EXPECT_TRUE(contents.existed);
    EXPECT_EQ(contents.bytes, "three");
    EXPECT_EQ(modeOf(path), 0600);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(FileSystem, AMissingFileReadsAsEmpty)
{
    TempFolder folder;
    const FileContents contents = realFileSystem().readFile(folder / "absent", 1024);
    EXPECT_TRUE(contents.status.ok());
    EXPECT_FALSE(contents.existed);
    EXPECT_TRUE(contents.bytes.empty());
}

TEST(FileSystem, RefusesAFileLargerThanTheLimit)
{
    TempFolder folder;
    testing::writeWholeFile(folder / "big", std::string(2048, 'x'));
    const FileContents contents = realFileSystem().readFile(folder / "big", 1024);
    EXPECT_FALSE(contents.status.ok());
    EXPECT_TRUE(contents.bytes.empty());
}

TEST(FileSystem, AFullDiskLeavesTheOldFileWhole)
{
    TempFolder folder;
    FileSystem& files = realFileSystem();
    const std::string path = folder / "data.bin";
    ASSERT_TRUE(files.replaceFile(path, "old contents").ok());

    // A child process whose files may not grow past 4 KiB sees what a full
    // disk does to a writer: the write fails part-way.
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const Status status = files.replaceFile(path, std::string(100000, 'n'));
        ::_exit(!status.ok() && !status.error().empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failed write was reported as success";
    EXPECT_EQ(testing::readWholeFile(path), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "a temporary file was left";
}

TEST(FileSystem, MakesPrivateFoldersOnlyUnderAnExistingParent)
{
    TempFolder folder;
    FileSystem& files = realFileSystem();
    EXPECT_TRUE(files.ensurePrivateFolder(folder / "profile").ok());
    EXPECT_TRUE(files.ensurePrivateFolder(folder / "profile").ok());
    EXPECT_EQ(modeOf(folder / "profile"), 0700);
    EXPECT_TRUE(files.isFolder(folder / "profile"));
    // A folder made by hand, open to others, is made private as well.
    std::filesystem::permissions(folder / "profile", std::filesystem::perms::all);
    EXPECT_TRUE(files.ensurePrivateFolder(folder / "profile").ok());
    EXPECT_EQ(modeOf(folder / "profile"), 0700);

    const Status missingParent = files.ensurePrivateFolder(folder / "no/such/parent");
    EXPECT_FALSE(missingParent.ok());
    EXPECT_FALSE(missingParent.error().empty());

    testing::writeWholeFile(folder / "plain", "x");
    EXPECT_FALSE(files.ensurePrivateFolder(folder / "plain").ok());
}

} // namespace
} // namespace kvn
