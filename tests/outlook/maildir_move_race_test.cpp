// Moves across file systems while another client or another mover acts, and
// when a folder cannot be synced: the sync hook stands in at the instant
// after the rename into cur/ and before the source is unlinked.
#include "platform/outlook/maildir_move.h"

#include "platform/outlook/maildir_store.h"
#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

// Installs a sync hook for one test; `act` runs on each folder sync before
// the real one, and its false fails the sync.
class SyncHook {
public:
    explicit SyncHook(std::function<bool(const std::string&)> act)
        : previous_(replaceFolderSync(
            [act = std::move(act)](const std::string& folder) { return act(folder) && syncFolderToDisk(folder); }))
    {
    }
    ~SyncHook() { replaceFolderSync(std::move(previous_)); }
    SyncHook(const SyncHook&) = delete;
    SyncHook& operator=(const SyncHook&) = delete;

private:
    FolderSyncHook previous_;
};

// A store on the build's file system and one on tmpfs, with one message.
class MoveRaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        struct stat here { };
        struct stat shm { };
        if (stat(temp.path().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
            GTEST_SKIP() << "no second file system to move to";
        other = "/dev/shm/kvn-race-" + std::to_string(getpid());
        makeMaildir(root);
        makeMaildir(root + "/.Archive");
        makeMaildir(other);
        putMessage(root, "cur", "far:2,", 1700000000, text);
    }
    void TearDown() override
    {
        if (!other.empty())
            std::filesystem::remove_all(other);
    }
    ApplicationPtr open() const { return openMaildirApplication({storeAt(root, "Here"), storeAt(other, "There")}, ""); }
    static FolderPtr folder(const ApplicationPtr& app, const std::string& store, const std::string& name)
    {
        return app->getNamespace("MAPI")->folders()->item(store)->folders()->item(name);
    }
    static MailItemPtr message(const ApplicationPtr& app)
    {
        return folder(app, "Here", "Inbox")->items()->getFirst()->asMailItem();
    }
    std::size_t copiesOfTheMessage() const
    {
        return messageFiles(root).size() + messageFiles(root + "/.Archive").size() + messageFiles(other).size();
    }
    std::set<std::string> tmpOfTarget() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(other + "/tmp"))
            names.insert(entry.path().filename().string());
        return names;
    }

    TempFolder temp;
    std::string root = temp / "Maildir";
    std::string other;
    std::string text = messageText("across");
};

TEST_F(MoveRaceTest, ASourceMarkedReadDuringTheCopyIsFoundAndRemoved)
{
    auto app = open();
    SyncHook markRead([&](const std::string& folder) {
        if (folder == other + "/cur")
            std::rename((root + "/cur/far:2,").c_str(), (root + "/cur/far:2,S").c_str());
        return true;
    });
    auto moved = message(app)->move(folder(app, "There", "Inbox"));
    ASSERT_TRUE(moved);
    EXPECT_TRUE(messageFiles(root).empty());
    EXPECT_EQ(messageFiles(other), (std::set<std::string>{"cur/far:2,"}));
    EXPECT_TRUE(tmpOfTarget().empty());
}

TEST_F(MoveRaceTest, ASourceRemovedDuringTheCopyFailsTheMoveAndKeepsTheJournal)
{
    auto app = open();
    {
        SyncHook removed([&](const std::string& folder) {
            if (folder == other + "/cur")
                std::remove((root + "/cur/far:2,").c_str());
            return true;
        });
        EXPECT_FALSE(message(app)->move(folder(app, "There", "Inbox")));
    }
    ASSERT_EQ(tmpOfTarget().size(), 1u);
    EXPECT_TRUE(tmpOfTarget().begin()->ends_with(".kvn-move"));
    open();
    EXPECT_TRUE(tmpOfTarget().empty());
    EXPECT_EQ(messageFiles(other), (std::set<std::string>{"cur/far:2,"}));
}

// A failed sync is a failed write: before the source is unlinked it fails the
// move and leaves the message where it was, only there; after, the move is
// done and its journal waits for the next opening.
TEST_F(MoveRaceTest, AFailedFolderSyncNeverCostsTheSource)
{
    struct Case {
        std::string failing;
        bool moves;
    };
    // The one case that moves comes last.
    for (const Case& c : {Case{other + "/tmp", false}, Case{other + "/cur", false}, Case{root + "/cur", true}}) {
        SCOPED_TRACE(c.failing);
        auto app = open();
        {
            SyncHook failing([&](const std::string& folder) { return folder != c.failing; });
            auto mail = message(app);
            auto moved = mail->move(folder(app, "There", "Inbox"));
            EXPECT_EQ(moved != nullptr, c.moves);
            EXPECT_EQ(messageFiles(c.moves ? other : root), (std::set<std::string>{"cur/far:2,"}));
            EXPECT_EQ(copiesOfTheMessage(), 1u);
            EXPECT_EQ(tmpOfTarget().size(), c.moves ? 1u : 0u);
            if (!c.moves) {
                EXPECT_EQ(mail->unRead(), true);
            }
        }
        open();
        EXPECT_EQ(copiesOfTheMessage(), 1u);
        EXPECT_TRUE(tmpOfTarget().empty());
    }
}

// A worker and the GUI thread move the same message to different folders:
// the second move waits until the first has ended, then finds nothing to move.
TEST_F(MoveRaceTest, ASecondMoveOfTheSameMessageInTheProcessWaitsForTheFirst)
{
    auto app = open();
    auto first = message(app);
    auto second = message(app);
    auto archive = folder(app, "Here", "Archive");
    std::atomic<bool> secondEnded{false};
    MailItemPtr secondMoved;
    std::thread worker;
    {
        SyncHook meanwhile([&](const std::string& folder) {
            if (folder == other + "/cur" && !worker.joinable()) {
                worker = std::thread([&] {
                    secondMoved = second->move(archive);
                    secondEnded = true;
                });
                while (!secondEnded && movesWaitingForTheSameMessage() == 0)
                    std::this_thread::yield();
            }
            return true;
        });
        EXPECT_TRUE(first->move(folder(app, "There", "Inbox")));
        worker.join();
    }
    EXPECT_FALSE(secondMoved);
    EXPECT_EQ(messageFiles(other), (std::set<std::string>{"cur/far:2,"}));
    EXPECT_EQ(copiesOfTheMessage(), 1u);
    EXPECT_TRUE(tmpOfTarget().empty());
}

// Another process moves the message while this one is between the rename and
// the unlink, fails (the target exists), and this one is killed there: its
// journal must have survived the other's failure.
TEST_F(MoveRaceTest, AFailedMoveInAnotherProcessLeavesTheFirstMovesJournal)
{
    auto app = open();
    auto mail = message(app);
    int reached[2];
    int proceed[2];
    ASSERT_EQ(pipe(reached), 0);
    ASSERT_EQ(pipe(proceed), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto own = open();
        SyncHook stop([&](const std::string& folder) {
            char byte = 0;
            if (folder == other + "/cur" && write(reached[1], "r", 1) == 1)
                (void)!read(proceed[0], &byte, 1); // killed while waiting here
            return true;
        });
        message(own)->move(folder(own, "There", "Inbox"));
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(reached[0], &byte, 1), 1);
    EXPECT_FALSE(mail->move(folder(app, "There", "Inbox")));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {reached[0], reached[1], proceed[0], proceed[1]})
        close(fd);
    open();
    EXPECT_EQ(copiesOfTheMessage(), 1u);
    EXPECT_EQ(messageFiles(other), (std::set<std::string>{"cur/far:2,"}));
    EXPECT_TRUE(tmpOfTarget().empty());
}

} // namespace
} // namespace kvn::outlook
