// A process killed at any instant of its moves leaves every message in
// exactly one folder, whole: a child marks every message unread, then moves
// the unread ones back and forth (marking them read and unread on the way)
// and is killed at a random moment after its first move; within one file
// system, and across two (where opening the store again completes an
// interrupted move). KVN_KILL_ROUNDS sets the number of kills per test
// (scripts/kill-campaign runs thousands).
#include "platform/outlook/maildir_store.h"

#include "platform/outlook/maildir_flags.h"
#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <random>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

constexpr int messageCount = 20;

int killRounds()
{
    const char* text = std::getenv("KVN_KILL_ROUNDS");
    int rounds = text ? std::atoi(text) : 0;
    return rounds > 0 ? rounds : 150;
}

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

void markAllUnread(const FolderPtr& folder)
{
    auto items = folder->items();
    for (auto item = items->getFirst(); item; item = items->getNext())
        item->asMailItem()->setUnRead(true);
}

// Writes a byte to `report` after each move done.
[[noreturn]] void moveForever(const Shuttle& shuttle, int report)
{
    auto app = openMaildirApplication(shuttle.stores, "Default");
    auto [from, to] = shuttle.open(app);
    // An earlier kill may have left messages read, which the find below skips.
    markAllUnread(from);
    markAllUnread(to);
    for (bool forth = true;; forth = !forth) {
        auto items = (forth ? from : to)->items();
        auto found = items->find("[UnRead]=true");
        if (!found)
            continue;
        for (auto item = *found; item; item = items->findNext()) {
            auto mail = item->asMailItem();
            if (!mail->setUnRead(false))
                continue;
            auto moved = mail->move(forth ? to : from);
            if (moved && moved->setUnRead(true) && write(report, "m", 1) != 1)
                _exit(1);
        }
    }
}

std::int64_t mtimeOf(const std::string& path)
{
    struct stat info { };
    return stat(path.c_str(), &info) == 0 ? info.st_mtim.tv_sec : -1;
}

struct Original {
    std::string text;
    std::int64_t mtime;
};

// Every message is in exactly one folder, with its bytes and received time;
// no tmp/ holds anything.
void expectEachMessageOnceAndWhole(const Shuttle& shuttle, const std::map<std::string, Original>& originals, int round)
{
    std::map<std::string, int> copies;
    for (const auto& dir : shuttle.folderDirs) {
        for (const auto& file : messageFiles(dir)) {
            std::string unique(uniqueNameOf(file.substr(4)));
            ++copies[unique];
            auto original = originals.find(unique);
            ASSERT_NE(original, originals.end()) << file << " appeared in round " << round;
            EXPECT_EQ(readWholeFile(dir + "/" + file), original->second.text) << file << " after round " << round;
            EXPECT_EQ(mtimeOf(dir + "/" + file), original->second.mtime) << file << " after round " << round;
        }
        EXPECT_TRUE(std::filesystem::is_empty(dir + "/tmp")) << dir << "/tmp after round " << round;
    }
    ASSERT_EQ(copies.size(), originals.size()) << "a message was lost in round " << round;
    for (const auto& [unique, count] : copies)
        ASSERT_EQ(count, 1) << unique << " is in more than one place after round " << round;
}

// The moves the child reported; waits for the first one.
int movesReported(int report, bool waitForFirst)
{
    int moves = 0;
    char buffer[256];
    for (;;) {
        pollfd ready{report, POLLIN, 0};
        // The wait is a guard against a child that never moves, not a measure.
        if (poll(&ready, 1, waitForFirst && moves == 0 ? 20000 : 0) <= 0)
            return moves;
        ssize_t got = read(report, buffer, sizeof buffer);
        if (got <= 0)
            return moves;
        moves += static_cast<int>(got);
    }
}

// What a kill left for the next opening to settle: a journal or copy in
// tmp/, and a message in both folders (killed between rename and unlink).
struct LeftBehind {
    bool inTmp = false;
    bool twice = false;
};

LeftBehind leftBehind(const Shuttle& shuttle)
{
    LeftBehind left;
    std::set<std::string> seen;
    for (const auto& dir : shuttle.folderDirs) {
        left.inTmp = left.inTmp || !std::filesystem::is_empty(dir + "/tmp");
        for (const auto& file : messageFiles(dir))
            left.twice = !seen.insert(std::string(uniqueNameOf(file.substr(4)))).second || left.twice;
    }
    return left;
}

void killRepeatedly(const Shuttle& shuttle, int maxDelayMicroseconds)
{
    std::map<std::string, Original> originals;
    for (int i = 0; i < messageCount; ++i) {
        std::string unique = "msg" + std::to_string(i);
        originals[unique] = {messageText("m" + std::to_string(i)) + std::string(i * 997, 'x'), 1700000000 + i};
        putMessage(shuttle.folderDirs[0], "new", unique, originals[unique].mtime, originals[unique].text);
    }
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delay(0, maxDelayMicroseconds);
    int rounds = killRounds();
    long moves = 0;
    int killsLeavingTmp = 0;
    int killsLeavingTwice = 0;
    for (int round = 0; round < rounds; ++round) {
        int report[2];
        ASSERT_EQ(pipe2(report, O_CLOEXEC), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(report[0]);
            moveForever(shuttle, report[1]);
        }
        close(report[1]);
        int before = movesReported(report[0], true);
        usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        int done = before + movesReported(report[0], false);
        close(report[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself in round " << round;
        ASSERT_GT(done, 0) << "the child moved nothing in round " << round;
        moves += done;
        LeftBehind left = leftBehind(shuttle);
        killsLeavingTmp += left.inTmp;
        killsLeavingTwice += left.twice;
        openMaildirApplication(shuttle.stores, "Default"); // completes an interrupted move
        expectEachMessageOnceAndWhole(shuttle, originals, round);
        if (::testing::Test::HasFailure())
            return;
    }
    std::printf("%d kills, each after at least one move (%ld moves); %d left a journal or copy in tmp/, %d a "
                "message in both folders\n",
        rounds, moves, killsLeavingTmp, killsLeavingTwice);
}

TEST(MaildirKill, EveryMessageIsInExactlyOneFolderAfterAnyKill)
{
    TempFolder temp;
    std::string root = temp / "Maildir";
    makeMaildir(root);
    makeMaildir(root + "/.Archive");
    killRepeatedly({{storeAt(root)}, {root, root + "/.Archive"}}, 5000);
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
    killRepeatedly({{storeAt(root, "Here"), storeAt(other, "There")}, {root, other}}, 10000);
    std::filesystem::remove_all(other);
}

} // namespace
} // namespace kvn::outlook
