// The new-mail watcher on real Maildir folders, delivered to as MDAs do.
#include "platform/outlook/mail_watcher.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace kvn::outlook {
namespace {

using namespace std::chrono_literals;

class CallCounter {
public:
    MailWatcher::Callback callback()
    {
        return [this] {
            std::lock_guard lock(mutex_);
            ++calls_;
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

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
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

TEST(MailWatcher, BurstOfDeliveriesGivesOneCallback)
{
    testing::TempFolder root;
    const std::string inbox = makeMaildir(root, "Inbox");
    CallCounter counter;
    MailWatcher watcher({inbox}, counter.callback(), 200ms, 5000ms);
    ASSERT_TRUE(watcher.start());
    EXPECT_EQ(watcher.watchedFolderCount(), 2);

    for (int i = 0; i < 5; ++i)
        deliverThroughTmp(inbox, "m" + std::to_string(i));
    EXPECT_EQ(counter.waitFor(1, 5000ms), 1);
    EXPECT_EQ(counter.waitFor(2, 600ms), 1) << "one burst, one report";

    // Written in place (no rename) into cur/, as some fetchers do.
    testing::writeWholeFile(inbox + "/cur/direct:2,", "Subject: direct\n\n");
    EXPECT_EQ(counter.waitFor(2, 5000ms), 2);
}

TEST(MailWatcher, SteadyTrickleIsReportedWithinTheMaximumDelay)
{
    testing::TempFolder root;
    const std::string inbox = makeMaildir(root, "Inbox");
    CallCounter counter;
    MailWatcher watcher({inbox}, counter.callback(), 300ms, 600ms);
    ASSERT_TRUE(watcher.start());
    // Arrivals every 100 ms never leave 300 ms of quiet; the 600 ms cap reports anyway.
    for (int i = 0; i < 15 && counter.calls() == 0; ++i) {
        deliverThroughTmp(inbox, "t" + std::to_string(i));
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_GE(counter.calls(), 1);
}

TEST(MailWatcher, FlagChangesAndNewToCurMovesAreNotNewMail)
{
    testing::TempFolder root;
    const std::string inbox = makeMaildir(root, "Inbox");
    testing::writeWholeFile(inbox + "/new/seen", "Subject: old\n\n");
    CallCounter counter;
    MailWatcher watcher({inbox}, counter.callback(), 100ms, 1000ms);
    ASSERT_TRUE(watcher.start());
    ASSERT_EQ(std::rename((inbox + "/new/seen").c_str(), (inbox + "/cur/seen:2,").c_str()), 0);
    ASSERT_EQ(std::rename((inbox + "/cur/seen:2,").c_str(), (inbox + "/cur/seen:2,S").c_str()), 0);
    EXPECT_EQ(counter.waitFor(1, 700ms), 0);

    // Mail moved in from another folder is mail arriving in this one.
    const std::string other = makeMaildir(root, ".Other");
    testing::writeWholeFile(other + "/cur/moved:2,", "Subject: moved\n\n");
    ASSERT_EQ(std::rename((other + "/cur/moved:2,").c_str(), (inbox + "/cur/moved:2,").c_str()), 0);
    EXPECT_EQ(counter.waitFor(1, 5000ms), 1);
}

TEST(MailWatcher, StartStopAndFoldersThatDoNotExist)
{
    testing::TempFolder root;
    CallCounter counter;
    MailWatcher nothing({root / "missing"}, counter.callback());
    EXPECT_FALSE(nothing.start());
    EXPECT_FALSE(nothing.running());

    const std::string inbox = makeMaildir(root, "Inbox");
    {
        MailWatcher watcher({inbox, root / "missing"}, counter.callback(), 50ms, 100ms);
        ASSERT_TRUE(watcher.start());
        EXPECT_TRUE(watcher.start());
        EXPECT_EQ(watcher.watchedFolderCount(), 2);
        watcher.stop();
        watcher.stop();
        EXPECT_FALSE(watcher.running());
        deliverThroughTmp(inbox, "while-stopped");
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(counter.calls(), 0);
        ASSERT_TRUE(watcher.start());
        deliverThroughTmp(inbox, "after-restart");
        EXPECT_EQ(counter.waitFor(1, 5000ms), 1);
        // Destroyed while running, with arrivals pending.
        deliverThroughTmp(inbox, "pending");
    }
}

} // namespace
} // namespace kvn::outlook
