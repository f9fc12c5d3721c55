#include "platform/core/profile_lock.h"

#include "tests/support/temp_folder.h"

#include <sys/wait.h>
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

TEST(ProfileLock, AMissingFolderIsAnError)
{
    TempFolder folder;
    auto result = ProfileLock::acquire(folder / "missing");
    ASSERT_TRUE(std::holds_alternative<std::string>(result));
    EXPECT_NE(std::get<std::string>(result).find("missing"), std::string::npos);
}

} // namespace
} // namespace kvn
