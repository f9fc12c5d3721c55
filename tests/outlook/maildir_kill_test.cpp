// A process killed at any instant of its moves leaves every message in
// exactly one folder: a child moves messages back and forth (marking them
// read and unread on the way) and is killed at random moments, many times;
// within one file system, and across two (where opening the store again
// completes an interrupted move).
#include "platform/outlook/maildir_store.h"

#include "platform/outlook/maildir_flags.h"
#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

constexpr int messageCount = 20;

// The two folders the messages go back and forth between: the Inbox and
// Archive of one store, or the Inboxes of two stores.
struct Shuttle {
    std::vector<StoreConfig> stores;
    std::vector<std::string> folderDirs;

    std::pair<FolderPtr, FolderPtr> open(const ApplicationPtr& app) const
    {
        auto tops = app->getNamespace("MAPI")->folders();
        auto first = tops->getFirst();
        if (stores.size() == 1)
            return {first->folders()->item("Inbox"), first->folders()->item("Archive")};
        return {first->folders()->item("Inbox"), tops->getNext()->folders()->item("Inbox")};
    }
};

[[noreturn]] void moveForever(const Shuttle& shuttle)
{
    auto app = openMaildirApplication(shuttle.stores, "Default");
    auto [from, to] = shuttle.open(app);
    for (bool forth = true;; forth = !forth) {
        auto source = forth ? from : to;
        auto items = source->items();
        auto found = items->find("[UnRead]=true");
        if (!found)
            continue;
        for (auto item = *found; item; item = items->findNext()) {
            auto mail = item->asMailItem();
            if (mail->setUnRead(false))
                mail = mail->move(forth ? to : from);
            if (mail)
                mail->setUnRead(true);
        }
    }
}

// unique name -> the number of files of it in the two folders.
std::map<std::string, int> copiesOfEachMessage(const Shuttle& shuttle)
{
    std::map<std::string, int> copies;
    for (const auto& dir : shuttle.folderDirs) {
        for (const auto& file : messageFiles(dir))
            ++copies[std::string(uniqueNameOf(file.substr(4)))];
    }
    return copies;
}

void killRepeatedly(const Shuttle& shuttle, int rounds, int maxDelayMicroseconds)
{
    for (int i = 0; i < messageCount; ++i)
        putMessage(shuttle.folderDirs[0], "new", "msg" + std::to_string(i), 1700000000 + i,
            messageText("m" + std::to_string(i)));
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delay(0, maxDelayMicroseconds);
    std::size_t reachedTarget = 0;
    for (int round = 0; round < rounds; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            moveForever(shuttle);
        usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        openMaildirApplication(shuttle.stores, "Default"); // completes an interrupted move
        auto copies = copiesOfEachMessage(shuttle);
        ASSERT_EQ(copies.size(), static_cast<std::size_t>(messageCount)) << "a message was lost in round " << round;
        for (const auto& [unique, count] : copies)
            ASSERT_EQ(count, 1) << unique << " is in more than one place after round " << round;
        reachedTarget += messageFiles(shuttle.folderDirs[1]).size();
    }
    EXPECT_GT(reachedTarget, 0u) << "the child never got to move anything";
}

TEST(MaildirKill, EveryMessageIsInExactlyOneFolderAfterAnyKill)
{
    TempFolder temp;
    std::string root = temp / "Maildir";
    makeMaildir(root);
    makeMaildir(root + "/.Archive");
    killRepeatedly({{storeAt(root)}, {root, root + "/.Archive"}}, 150, 30000);
}

TEST(MaildirKill, AcrossFileSystemsTooOnceTheStoreIsOpenedAgain)
{
    TempFolder temp;
    struct stat here { };
    struct stat shm { };
    if (stat(temp.path().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system to move to";
    std::string root = temp / "Maildir";
    std::string other = "/dev/shm/kvn-kill-" + std::to_string(getpid());
    makeMaildir(root);
    makeMaildir(other);
    killRepeatedly({{storeAt(root, "Here"), storeAt(other, "There")}, {root, other}}, 100, 30000);
    std::filesystem::remove_all(other);
}

} // namespace
} // namespace kvn::outlook
