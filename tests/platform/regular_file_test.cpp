// Opening files to read without waiting on what is not a regular file, and
// reading them whether or not the file system honours non-blocking mode.
#include "platform/core/regular_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <thread>

namespace kvn {
namespace {

TEST(RegularFileToRead, OpensAFileAndRefusesAFifoAtOnce)
{
    testing::TempFolder temp;
    const std::string file = temp / "message";
    std::ofstream(file) << "Subject: hello\r\n\r\nbody\r\n";
    struct stat info { };
    const OpenedRegularFile opened = openRegularFileToRead(file, info);
    ASSERT_GE(opened.fd, 0) << opened.error;
    EXPECT_EQ(info.st_size, 24);
    char bytes[64];
    EXPECT_EQ(readRegularFile(opened.fd, bytes, sizeof bytes), 24);
    EXPECT_EQ(std::string(bytes, 9), "Subject: ");
    ::close(opened.fd);

    const std::string fifo = temp / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const OpenedRegularFile refused = openRegularFileToRead(fifo, info);
    EXPECT_LT(refused.fd, 0);
    EXPECT_NE(refused.error.find("a FIFO (named pipe)"), std::string::npos) << refused.error;
    EXPECT_LT(openRegularFileToRead(temp / "missing", info).fd, 0);
}

TEST(RegularFileToRead, ByNameInAnOpenFolderAsByPath)
{
    testing::TempFolder temp;
    std::ofstream(temp / "message") << "Subject: hello\r\n\r\n";
    ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir((temp / "folder").c_str(), 0700), 0);
    const int dir = ::open(temp.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir, 0);
    struct stat info { };
    const OpenedRegularFile opened = openRegularFileToReadAt(dir, "message", info);
    ASSERT_GE(opened.fd, 0) << opened.error;
    EXPECT_EQ(info.st_size, 18);
    ::close(opened.fd);
    const OpenedRegularFile fifo = openRegularFileToReadAt(dir, "fifo", info);
    EXPECT_LT(fifo.fd, 0);
    EXPECT_EQ(fifo.error, "Not opening fifo: it is a FIFO (named pipe), not a regular file");
    EXPECT_NE(openRegularFileToReadAt(dir, "folder", info).error.find("a folder"), std::string::npos);
    const OpenedRegularFile missing = openRegularFileToReadAt(dir, "missing", info);
    EXPECT_LT(missing.fd, 0);
    EXPECT_EQ(missing.openErrno, ENOENT);
    ::close(dir);
}

// Where a read answers EAGAIN (here a pipe stands in for a file system that
// honours O_NONBLOCK), the descriptor becomes blocking and the read waits
// for the bytes instead of failing.
TEST(RegularFileToRead, AReadThatWouldBlockWaitsInsteadOfFailing)
{
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(::write(ends[1], "late", 4), 4);
    });
    char bytes[8];
    EXPECT_EQ(readRegularFile(ends[0], bytes, sizeof bytes), 4);
    EXPECT_EQ(std::string(bytes, 4), "late");
    EXPECT_EQ(::fcntl(ends[0], F_GETFL) & O_NONBLOCK, 0);
    writer.join();
    ::close(ends[0]);
    ::close(ends[1]);
}

} // namespace
} // namespace kvn
