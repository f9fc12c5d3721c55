// The new-mail watcher on real Maildir folders, delivered to as MDAs do.
#include "platform/outlook/mail_watcher.h"
#include "tests/support/temp_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

namespace kvn::outlook {
namespace {

using namespace std::chrono_literals;

class CallCounter {
public:
    MailWatcher::Callback callback()
    {
        return [this] {
            std::lock_guard lock(mutex_);
            if (calls_++ == 0)
                firstCall_ = std::chrono::steady_clock::now();
            changed_.notify_all();
        };
    }
    // Waits until at least `count` calls were made or the timeout passes.
    int waitFor(int count, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return calls_ >= count; });
        return calls_;
    }
    int calls()
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    std::chrono::steady_clock::time_point firstCallAt()
    {
        std::lock_guard lock(mutex_);
        return firstCall_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
    std::chrono::steady_clock::time_point firstCall_{};
};

std::string makeMaildir(const testing::TempFolder& root, const std::string& name)
{
    const std::string path = root / name;
    for (const char* sub : {"/cur", "/new", "/tmp"})
        std::filesystem::create_directories(path + sub);
    return path;
}

void deliverThroughTmp(const std::string& maildir, const std::string& name)
{
    testing::writeWholeFile(maildir + "/tmp/" + name, "Subject: hi\n\nbody\n");
    ASSERT_EQ(std::rename((maildir + "/tmp/" + name).c_str(), (maildir + "/new/" + name).c_str()), 0);
}

TEST(MailWatcher, BurstOfDeliveriesIsReportedTogether)
{
    testing::TempFolder root;
    const std::string inbox = makeMaildir(root, "Inbox");
    CallCounter counter;
    MailWatcher watcher({inbox}, counter.callback(), 200ms, 5000ms);
    ASSERT_TRUE(watcher.start());
    EXPECT_EQ(watcher.watchedFolderCount(), 2);

    for (int i = 0; i < 6; ++i)
        deliverThroughTmp(inbox, "m" + std::to_string(i));
    ASSERT_GE(counter.waitFor(1, 5000ms), 1);
    // A busy machine may split the burst; six separate reports would mean no debounce at all.
    EXPECT_LT(counter.waitFor(6, 600ms), 6);

    // Written in place (no rename) into cur/, as some fetchers do.
    const int before = counter.calls();
    testing::writeWholeFile(inbox + "/cur/direct:2,", "Subject: direct\n\n");
    EXPECT_GT(counter.waitFor(before + 1, 5000ms), before);
}

TEST(MailWatcher, SteadyTrickleIsReportedWithinTheMaximumDelay)
{
    testing::TempFolder root;
    const std::string inbox = makeMaildir(root, "Inbox");
    CallCounter counter;
    constexpr auto maxDelay = 600ms;
    MailWatcher watcher({inbox}, counter.callback(), 300ms, maxDelay);
    ASSERT_TRUE(watcher.start());
    // Arrivals every 100 ms never leave 300 ms of quiet; the 600 ms cap reports anyway.
    const auto first = std::chrono::steady_clock::now();
    for (int i = 0; i < 30 && counter.calls() == 0; ++i) {
        deliverThroughTmp(inbox, "t" + std::to_string(i));
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_GE(counter.waitFor(1, 5000ms), 1);
    // The trickle stops at the first report, so the report came at most a
    // step of the trickle after the cap; the margin is for a busy machine.
    EXPECT_LE(counter.firstCallAt() - first, maxDelay + 100ms + 700ms);
}

TEST(MailWatcher, MovesBetweenWatchedMaildirsAreMailArrivingAndFlagChangesAreNot)
{
    testing::TempFolder root;
    const std::string inbox = makeMaildir(root, "Inbox");
    const std::string other = makeMaildir(root, ".Other");
    testing::writeWholeFile(inbox + "/new/seen", "Subject: old\n\n");
    testing::writeWholeFile(other + "/cur/moved:2,", "Subject: moved\n\n");
    CallCounter counter;
    MailWatcher watcher({inbox, other}, counter.callback(), 100ms, 1000ms);
    ASSERT_TRUE(watcher.start());
    EXPECT_EQ(watcher.watchedFolderCount(), 4);
    ASSERT_EQ(std::rename((inbox + "/new/seen").c_str(), (inbox + "/cur/seen:2,").c_str()), 0);
    ASSERT_EQ(std::rename((inbox + "/cur/seen:2,").c_str(), (inbox + "/cur/seen:2,S").c_str()), 0);
    ASSERT_EQ(std::rename((other + "/cur/moved:2,").c_str(), (other + "/cur/moved:2,S").c_str()), 0);
    EXPECT_EQ(counter.waitFor(1, 700ms), 0);

    // From one watched Maildir to the other: its IN_MOVED_FROM was in another folder.
    ASSERT_EQ(std::rename((other + "/cur/moved:2,S").c_str(), (inbox + "/cur/moved:2,S").c_str()), 0);
    EXPECT_EQ(counter.waitFor(1, 5000ms), 1);
    ASSERT_EQ(std::rename((inbox + "/cur/moved:2,S").c_str(), (other + "/new/moved").c_str()), 0);
    EXPECT_EQ(counter.waitFor(2, 5000ms), 2);
}

// Waits until the watcher watches `count` folders again, or a few seconds pass.
bool waitForWatches(const MailWatcher& watcher, int count)
{
    for (int i = 0; i < 500 && watcher.watchedFolderCount() != count; ++i)
        std::this_thread::sleep_for(10ms);
    return watcher.watchedFolderCount() == count;
}

TEST(MailWatcher, AFolderDeletedOrRenamedAwayAndBackIsWatchedAgain)
{
    testing::TempFolder root;
    const std::string inbox = makeMaildir(root, "Inbox");
    CallCounter counter;
    MailWatcher watcher({inbox}, counter.callback(), 50ms, 500ms);
    ASSERT_TRUE(watcher.start());

    // Deleted and made again, as a restore does.
    std::filesystem::remove_all(inbox + "/cur");
    ASSERT_TRUE(waitForWatches(watcher, 1));
    std::filesystem::create_directory(inbox + "/cur");
    ASSERT_TRUE(waitForWatches(watcher, 2));
    ASSERT_GE(counter.waitFor(1, 5000ms), 1) << "being back may have brought mail";
    int before = counter.calls();
    testing::writeWholeFile(inbox + "/cur/restored:2,", "Subject: restored\n\n");
    EXPECT_GT(counter.waitFor(before + 1, 5000ms), before);

    // Renamed away: the watch must not follow the folder to its new name.
    before = counter.calls();
    std::filesystem::rename(inbox + "/new", inbox + "/new.old");
    ASSERT_TRUE(waitForWatches(watcher, 1));
    std::filesystem::create_directory(inbox + "/new");
    ASSERT_TRUE(waitForWatches(watcher, 2));
    ASSERT_GT(counter.waitFor(before + 1, 5000ms), before);
    before = counter.calls();
    deliverThroughTmp(inbox, "after-rename");
    EXPECT_GT(counter.waitFor(before + 1, 5000ms), before);

    // The whole Maildir taken away and brought back.
    std::filesystem::remove_all(inbox);
    ASSERT_TRUE(waitForWatches(watcher, 0));
    makeMaildir(root, "Inbox");
    EXPECT_TRUE(waitForWatches(watcher, 2));
    EXPECT_TRUE(watcher.running());
}

// The descriptor of the watcher's inotify instance, found among the process's own.
int inotifyDescriptor()
{
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error).string() == "anon_inode:inotify")
            return std::stoi(entry.path().filename().string());
    }
    return -1;
}

TEST(MailWatcher, AWatcherWhoseEventsCannotBeReadSaysItIsDead)
{
    testing::TempFolder root;
    const std::string inbox = makeMaildir(root, "Inbox");
    CallCounter counter;
    MailWatcher watcher({inbox}, counter.callback(), 50ms, 100ms);
    ASSERT_TRUE(watcher.start());
    const int fd = inotifyDescriptor();
    ASSERT_GE(fd, 0);
    // Put a file at the end of its input in place of the inotify instance.
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::dup3(devNull, fd, O_CLOEXEC), fd);
    ::close(devNull);
    // A poll under way still waits on the instance it was given: an event there wakes it.
    deliverThroughTmp(inbox, "wake");
    for (int i = 0; i < 500 && watcher.running(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(watcher.running());
    EXPECT_NE(watcher.failure().find("new mail is no longer noticed"), std::string::npos) << watcher.failure();
    watcher.stop();

    // Started again, it watches anew.
    ASSERT_TRUE(watcher.start());
    EXPECT_TRUE(watcher.failure().empty());
    deliverThroughTmp(inbox, "after-restart");
    EXPECT_EQ(counter.waitFor(1, 5000ms), 1);
}

TEST(MailWatcher, ACallbackMayAskTheWatcherWhileItIsBeingStopped)
{
    testing::TempFolder root;
    const std::string inbox = makeMaildir(root, "Inbox");
    std::mutex mutex;
    std::condition_variable changed;
    bool inCallback = false;
    bool stopping = false;
    int countSeen = -1;
    MailWatcher* self = nullptr;
    MailWatcher watcher(
        {inbox},
        [&] {
            std::unique_lock lock(mutex);
            inCallback = true;
            changed.notify_all();
            changed.wait(lock, [&] { return stopping; });
            lock.unlock();
            std::this_thread::sleep_for(50ms); // let stop() get under way
            countSeen = self->watchedFolderCount();
        },
        20ms, 100ms);
    self = &watcher;
    ASSERT_TRUE(watcher.start());
    deliverThroughTmp(inbox, "m");
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 5000ms, [&] { return inCallback; }));
        stopping = true;
        changed.notify_all();
    }
    watcher.stop();
    EXPECT_EQ(countSeen, 2);
    EXPECT_FALSE(watcher.running());
}

TEST(MailWatcher, StartStopAndFoldersThatDoNotExist)
{
    testing::TempFolder root;
    CallCounter counter;
    MailWatcher nothing({root / "missing"}, counter.callback());
    EXPECT_FALSE(nothing.start());
    EXPECT_FALSE(nothing.running());

    const std::string inbox = makeMaildir(root, "Inbox");
    MailWatcher watcher({inbox, root / "missing"}, counter.callback(), 50ms, 100ms);
    ASSERT_TRUE(watcher.start());
    EXPECT_TRUE(watcher.start());
    EXPECT_EQ(watcher.watchedFolderCount(), 2);
    watcher.stop();
    watcher.stop();
    EXPECT_FALSE(watcher.running());
    EXPECT_EQ(watcher.watchedFolderCount(), 0);
    deliverThroughTmp(inbox, "while-stopped");
    EXPECT_EQ(counter.calls(), 0);
    ASSERT_TRUE(watcher.start());
    deliverThroughTmp(inbox, "after-restart");
    EXPECT_EQ(counter.waitFor(1, 5000ms), 1);
}

} // namespace
} // namespace kvn::outlook
