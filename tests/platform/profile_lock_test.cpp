#include "platform/core/profile_lock.h"

#include "tests/platform/lock_holder.h"
#include "tests/support/temp_folder.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

namespace kvn {
namespace {

using testing::TempFolder;

TEST(ProfileLock, ASecondHolderIsRefusedUntilTheFirstLetsGo)
{
    TempFolder folder;
    auto first = ProfileLock::acquire(folder.path());
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ProfileLock>>(first));

    auto second = ProfileLock::acquire(folder.path());
    ASSERT_TRUE(std::holds_alternative<std::string>(second));
    EXPECT_NE(std::get<std::string>(second).find("process " + std::to_string(::getpid())), std::string::npos)
        << std::get<std::string>(second);

    first = std::string("released");
    EXPECT_TRUE(std::holds_alternative<std::unique_ptr<ProfileLock>>(ProfileLock::acquire(folder.path())));
}

TEST(ProfileLock, AnotherProcessIsRefusedAndADeadHolderReleases)
{
    TempFolder folder;
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        auto lock = ProfileLock::acquire(folder.path());
        char ready = std::holds_alternative<std::unique_ptr<ProfileLock>>(lock) ? 'y' : 'n';
        (void)!::write(toParent[1], &ready, 1);
        char wait = 0;
        (void)!::read(toChild[0], &wait, 1);
        ::_exit(0);
    }
    char ready = 0;
    ASSERT_EQ(::read(toParent[0], &ready, 1), 1);
    ASSERT_EQ(ready, 'y');

    auto refused = ProfileLock::acquire(folder.path());
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_NE(std::get<std::string>(refused).find(std::to_string(child)), std::string::npos);

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(std::holds_alternative<std::unique_ptr<ProfileLock>>(ProfileLock::acquire(folder.path())));
}

using namespace std::chrono_literals;
using Lock = std::unique_ptr<ProfileLock>;

TEST(ProfileLock, AChildForkedWithoutExecNeitherHoldsNorKeepsTheLock)
{
    TempFolder folder;
    auto lock = ProfileLock::acquire(folder.path());
    ASSERT_TRUE(std::holds_alternative<Lock>(lock));
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(toChild[1]);
        ::close(toParent[0]);
        // The parent's lock is not the child's: trying it is refused, naming the parent.
        auto mine = ProfileLock::acquire(folder.path());
        const std::string* why = std::get_if<std::string>(&mine);
        const std::string answer = why != nullptr ? *why : std::string("taken");
        (void)!::write(toParent[1], answer.data(), answer.size());
        ::close(toParent[1]);
        char wait = 0;
        (void)!::read(toChild[0], &wait, 1);
        ::_exit(0);
    }
    ::close(toParent[1]);
    ::close(toChild[0]);
    std::string answer;
    char c = 0;
    while (::read(toParent[0], &c, 1) == 1)
        answer += c;
    EXPECT_NE(answer.find("(process " + std::to_string(::getpid()) + ")"), std::string::npos) << answer;

    // The parent lets go while the child still runs: the lock is free.
    lock = std::string("released");
    auto again = ProfileLock::acquire(folder.path());
    EXPECT_TRUE(std::holds_alternative<Lock>(again)) << std::get<std::string>(again);
    ::close(toChild[1]);
    ::waitpid(child, nullptr, 0);
}

TEST(ProfileLock, TheHostIsRefusedAtOnceAndAnotherInstanceIsWaitedFor)
{
    TempFolder folder;
    {
        testing::LockHolder host(folder.path(), "korvane");
        ASSERT_TRUE(host.holds()) << host.firstLine();
        auto refused = ProfileLock::acquire(folder.path(), {"kvnctl", 10s});
        ASSERT_TRUE(std::holds_alternative<std::string>(refused));
        EXPECT_EQ(std::get<std::string>(refused),
            "The profile's data in " + folder.path() + " is in use by korvane (process " + std::to_string(host.pid())
                + ")")
            << "refused without waiting for a program that holds it for as long as it runs";
    }
    {
        testing::LockHolder other(folder.path(), "kvnctl");
        ASSERT_TRUE(other.holds()) << other.firstLine();
        auto refused = ProfileLock::acquire(folder.path(), {"kvnctl", 150ms});
        ASSERT_TRUE(std::holds_alternative<std::string>(refused));
        EXPECT_NE(std::get<std::string>(refused).find(
                      "in use by kvnctl (process " + std::to_string(other.pid()) + "); waited "),
            std::string::npos)
            << std::get<std::string>(refused);

        std::thread finish([&] {
            std::this_thread::sleep_for(100ms);
            other.release();
        });
        auto waited = ProfileLock::acquire(folder.path(), {"kvnctl", 10s});
        finish.join();
        EXPECT_TRUE(std::holds_alternative<Lock>(waited)) << std::get<std::string>(waited);
    }
}

// A refused process reads the record only once its holder wrote it whole, so
// it never sees the empty record a holder that let go leaves, nor an earlier
// holder's: here every contender is refused by a child that has just taken it.
TEST(ProfileLock, ARefusalNamesTheHolderThatHasJustTakenIt)
{
    TempFolder folder;
    for (int round = 0; round < 40; ++round) {
        int toChild[2];
        ASSERT_EQ(::pipe(toChild), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(toChild[1]);
            for (;;) {
                auto lock = ProfileLock::acquire(folder.path(), {"holder", {}});
                if (std::holds_alternative<Lock>(lock)) {
                    char wait = 0;
                    (void)!::read(toChild[0], &wait, 1);
                    ::_exit(0);
                }
            }
        }
        ::close(toChild[0]);
        std::string why;
        while (why.empty()) {
            auto attempt = ProfileLock::acquire(folder.path(), {"contender", {}});
            if (const std::string* refused = std::get_if<std::string>(&attempt))
                why = *refused;
        }
        EXPECT_NE(why.find("holder (process " + std::to_string(child) + ")"), std::string::npos) << why;
        ::close(toChild[1]);
        ::waitpid(child, nullptr, 0);
        if (::testing::Test::HasFailure())
            break;
    }
}

TEST(ProfileLock, AHolderOfAnOlderVersionThatLockedTheWholeFileIsNamedToo)
{
    TempFolder folder;
    const std::string path = folder / ProfileLock::fileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    struct flock whole { };
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &whole), 0);
    ASSERT_EQ(::pwrite(fd, "4242\n", 5, 0), 5);

    auto refused = ProfileLock::acquire(folder.path());
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_EQ(std::get<std::string>(refused), "The profile's data in " + folder.path() + " is in use by process 4242");
    ::close(fd);
    EXPECT_TRUE(std::holds_alternative<Lock>(ProfileLock::acquire(folder.path())));
}

TEST(ProfileLock, AMissingFolderIsAnError)
{
    TempFolder folder;
    auto result = ProfileLock::acquire(folder / "missing");
    ASSERT_TRUE(std::holds_alternative<std::string>(result));
    EXPECT_NE(std::get<std::string>(result).find("missing"), std::string::npos);
}

} // namespace
} // namespace kvn
