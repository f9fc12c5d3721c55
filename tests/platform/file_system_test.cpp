#include "platform/core/file_system.h"

#include "platform/core/posix_file_system.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>

namespace kvn {
namespace {

using testing::TempFolder;

using testing::modeOf;

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

// Nothing that is not a regular file is read or waited on: a FIFO without a
// writer would block an open for ever.
TEST(FileSystem, RefusesFifosDevicesSocketsAndFoldersAtOnceSayingWhatTheyAre)
{
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "folder");
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = folder / "socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    const std::pair<std::string, std::string> cases[] = {{folder / "fifo", "a FIFO"},
        {"/dev/null", "a character device"}, {folder / "folder", "a folder"}, {socketPath, "a socket"}};
    for (const auto& [path, what] : cases) {
        const FileContents contents = realFileSystem().readFile(path, 1024);
        EXPECT_FALSE(contents.status.ok()) << path;
        EXPECT_NE(contents.status.error().find(path), std::string::npos) << contents.status.error();
        EXPECT_NE(contents.status.error().find(what), std::string::npos) << contents.status.error();
        EXPECT_TRUE(contents.bytes.empty());
    }
    ::close(listening);

    // A link to a regular file is read: a profile's files may live elsewhere.
    testing::writeWholeFile(folder / "real", "linked");
    std::filesystem::create_symlink(folder / "real", folder / "link");
    EXPECT_EQ(realFileSystem().readFile(folder / "link", 1024).bytes, "linked");
}

// A sync that fails for folders only: the file's data is on disk, the rename
// is not known to be.
int failFolderSync(int fd)
{
    struct stat info { };
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}

TEST(FileSystem, AFailedFolderSyncIsAFailedWrite)
{
    TempFolder folder;
    const auto files = makePosixFileSystem(failFolderSync);
    const Status written = files->replaceFile(folder / "data.bin", "new");
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.error().find("Cannot sync the folder"), std::string::npos) << written.error();
    EXPECT_TRUE(makePosixFileSystem(::fsync)->replaceFile(folder / "data.bin", "new").ok());
}

TEST(FileSystem, ListsAFolderAndRemovesFiles)
{
    TempFolder folder;
    FileSystem& files = realFileSystem();
    testing::writeWholeFile(folder / "a", "1");
    testing::writeWholeFile(folder / "b", "2");
    FolderListing listing = files.listFolder(folder.path());
    ASSERT_TRUE(listing.status.ok());
    std::sort(listing.names.begin(), listing.names.end());
    EXPECT_EQ(listing.names, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(files.removeFile(folder / "a").ok());
    EXPECT_TRUE(files.removeFile(folder / "a").ok()) << "a missing file is already removed";
    EXPECT_FALSE(std::filesystem::exists(folder / "a"));
    std::filesystem::create_directory(folder / "sub");
    EXPECT_FALSE(files.removeFile(folder / "sub").ok());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "sub"));
    EXPECT_FALSE(files.listFolder(folder / "none").status.ok());
}

} // namespace
} // namespace kvn
