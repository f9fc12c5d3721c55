// Two processes writing one hive at the same time lose none of each other's
// writes: each write re-reads the file under the folder's lock.
#include "platform/registry/registry.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kvn::registry {
namespace {

constexpr int writesPerProcess = 150;

// Writes the process's own values and, in between, a value both write; ends
// the process with 0 when every write reported success.
[[noreturn]] void writeInChild(const std::string& folder, char who, int startPipe)
{
    char go = 0;
    const bool started = ::read(startPipe, &go, 1) == 1;
    const auto registry = openFileRegistry(folder);
    bool allWritten = started;
    for (int i = 0; i < writesPerProcess; ++i) {
        const std::string name = std::string(1, who) + std::to_string(i);
        allWritten
            = registry->setValue(Hive::CurrentUser, "Software\\Shared", name, dwordValue(static_cast<std::uint32_t>(i)))
            && allWritten;
        allWritten = registry->setValue(Hive::CurrentUser, "Software\\Shared", "Last", stringValue(name)) && allWritten;
    }
    ::_exit(allWritten ? 0 : 1);
}

TEST(ConcurrentWriters, TwoProcessesLoseNoneOfEachOthersWrites)
{
    testing::TempFolder folder;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> children;
    for (const char who : {'A', 'B'}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            writeInChild(folder.path(), who, start[0]);
        children.push_back(child);
    }
    ASSERT_EQ(::write(start[1], "gg", 2), 2);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write reported failure";
    }
    ::close(start[0]);
    ::close(start[1]);

    const auto registry = openFileRegistry(folder.path());
    const std::vector<std::string> names = registry->valueNames(Hive::CurrentUser, "Software\\Shared");
    EXPECT_EQ(names.size(), 2u * writesPerProcess + 1);
    for (const char who : {'A', 'B'}) {
        for (int i = 0; i < writesPerProcess; ++i) {
            const std::string name = std::string(1, who) + std::to_string(i);
            const std::optional<Value> value = registry->queryValue(Hive::CurrentUser, "Software\\Shared", name, 4);
            ASSERT_TRUE(value) << name << " was lost";
            EXPECT_EQ(value->bytes, dwordValue(static_cast<std::uint32_t>(i)).bytes);
        }
    }
    const std::string last = registry->queryValue(Hive::CurrentUser, "Software\\Shared", "Last", 16)->bytes;
    EXPECT_TRUE(
        last == "A" + std::to_string(writesPerProcess - 1) || last == "B" + std::to_string(writesPerProcess - 1))
        << last;
}

TEST(ConcurrentWriters, ThreadsWithTheirOwnOrASharedRegistryLoseNothing)
{
    testing::TempFolder folder;
    const auto shared = openFileRegistry(folder.path());
    const auto writeValues = [&](Registry& registry, const std::string& prefix) {
        for (int i = 0; i < 40; ++i)
            EXPECT_TRUE(registry.setValue(Hive::ClassesRoot, "Shared", prefix + std::to_string(i), dwordValue(1)));
    };
    {
        std::vector<std::jthread> threads;
        threads.emplace_back([&] { writeValues(*shared, "S1-"); });
        threads.emplace_back([&] { writeValues(*shared, "S2-"); });
        threads.emplace_back([&] {
            const auto own = openFileRegistry(folder.path());
            writeValues(*own, "O-");
        });
    }
    EXPECT_EQ(openFileRegistry(folder.path())->valueNames(Hive::ClassesRoot, "Shared").size(), 120u);
    EXPECT_EQ(shared->valueNames(Hive::ClassesRoot, "Shared").size(), 120u);
}

} // namespace
} // namespace kvn::registry
