// Moves between stores on different file systems: copy, sync, rename,
// unlink, keeping the name, flags and ReceivedTime.
#include "platform/outlook/maildir_store.h"

#include "platform/core/file_descriptor.h"
#include "platform/outlook/maildir_move.h"
#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

// A folder on another file system than $TMPDIR, when the machine has one.
std::string otherFileSystemBase(const std::string& here)
{
    struct stat mine { };
    struct stat shm { };
    if (stat(here.c_str(), &mine) != 0 || stat("/dev/shm", &shm) != 0 || mine.st_dev == shm.st_dev)
        return {};
    return "/dev/shm";
}

TEST(MaildirCrossDevice, MoveAcrossFileSystemsKeepsNameFlagsAndTime)
{
    TempFolder temp;
    std::string base = otherFileSystemBase(temp.path());
    if (base.empty())
        GTEST_SKIP() << "no second file system to move to";
    std::string otherRoot = base + "/kvn-cross-" + std::to_string(getpid());
    makeMaildir(otherRoot);
    std::string root = temp / "Maildir";
    makeMaildir(root);
    std::string text = messageText("across");
    putMessage(root, "cur", "far:2,RS", 1700000000, text);
    auto app = openMaildirApplication({storeAt(root, "Here"), storeAt(otherRoot, "There")}, "Default");
    auto tops = app->getNamespace("MAPI")->folders();
    auto inbox = tops->item("Here")->folders()->item("Inbox");
    auto there = tops->item("There")->folders()->item("Inbox");
    auto mail = inbox->items()->getFirst()->asMailItem();
    double received = *mail->receivedTime();
    auto moved = mail->move(there);
    ASSERT_TRUE(moved);
    EXPECT_TRUE(messageFiles(root).empty());
    EXPECT_EQ(messageFiles(otherRoot), (std::set<std::string>{"cur/far:2,RS"}));
    EXPECT_TRUE(std::filesystem::is_empty(otherRoot + "/tmp"));
    EXPECT_EQ(readWholeFile(otherRoot + "/cur/far:2,RS"), text);
    EXPECT_EQ(moved->entryId(), "far");
    EXPECT_EQ(moved->receivedTime(), received);
    EXPECT_EQ(moved->unRead(), false);
    std::filesystem::remove_all(otherRoot);
}

} // namespace
} // namespace kvn::outlook

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

// What kills leave, and what opening the store makes of it.
TEST(MaildirCrossDevice, OpeningTheStoreCompletesOrUndoesInterruptedMoves)
{
    TempFolder temp;
    std::string source = temp / "Maildir";
    std::string target = source + "/.Archive";
    makeMaildir(source);
    makeMaildir(target);
    auto journal = [&](const std::string& name, const std::string& targetName, const std::string& copy) {
        writeWholeFile(target + "/tmp/" + name,
            source + "\n" + target + "/cur/" + targetName + "\n" + target + "/tmp/" + copy + "\n");
    };
    // Killed between the rename into cur/ and the unlink; another client
    // marked the target read before the store was opened again.
    putMessage(source, "cur", "half:2,", 1700000000, messageText("half moved"));
    putMessage(target, "cur", "half:2,S", 1700000000, messageText("half moved"));
    journal("half.77.0.kvn-move", "half:2,", "half.77.0");
    // The same in a journal of the older layout, the source's flags changed.
    putMessage(source, "cur", "older:2,S", 1700000000, messageText("older journal"));
    putMessage(target, "cur", "older:2,", 1700000000, messageText("older journal"));
    journal("older.kvn-move", "older:2,", "older.77.1");
    // Killed while copying: the copy is still in tmp/.
    putMessage(source, "cur", "copying:2,", 1700000000, messageText("killed while copying"));
    putMessage(target, "tmp", "copying.77.2", 1700000000, "half a cop");
    journal("copying.77.2.kvn-move", "copying:2,", "copying.77.2");
    // Killed while writing the journal, and a journal cut short.
    putMessage(source, "new", "journalling", 1700000000, messageText("killed while journalling"));
    writeWholeFile(target + "/tmp/journalling.77.3.kvn-move.part", source + "\n");
    putMessage(source, "cur", "early:2,", 1700000000, messageText("killed before the rename"));
    writeWholeFile(target + "/tmp/early.kvn-move", source + "\n" + target + "/cur/early:2,\n");
    // Killed after the unlink, before the journal went.
    putMessage(target, "cur", "done:2,", 1700000000, messageText("moved"));
    journal("done.77.4.kvn-move", "done:2,", "done.77.4");
    openMaildirApplication({storeAt(source)}, "Default");
    EXPECT_EQ(messageFiles(source), (std::set<std::string>{"cur/copying:2,", "cur/early:2,", "new/journalling"}));
    EXPECT_EQ(messageFiles(target), (std::set<std::string>{"cur/done:2,", "cur/half:2,S", "cur/older:2,"}));
    EXPECT_TRUE(std::filesystem::is_empty(target + "/tmp"));
}

// A journal a live move holds (here or in another process) is not touched;
// once its lock is gone, the next opening finishes it.
TEST(MaildirCrossDevice, AJournalOfAMoveInProgressIsLeftAlone)
{
    TempFolder temp;
    std::string source = temp / "Maildir";
    std::string target = source + "/.Archive";
    makeMaildir(source);
    makeMaildir(target);
    putMessage(source, "cur", "live:2,", 1700000000, messageText("being moved"));
    putMessage(target, "cur", "live:2,", 1700000000, messageText("being moved"));
    std::string journal = target + "/tmp/live.9.0.kvn-move";
    writeWholeFile(journal, source + "\n" + target + "/cur/live:2,\n" + target + "/tmp/live.9.0\n");
    {
        FileDescriptor held(open(journal.c_str(), O_RDONLY | O_CLOEXEC));
        ASSERT_EQ(flock(held.get(), LOCK_EX), 0);
        openMaildirApplication({storeAt(source)}, "Default");
        EXPECT_TRUE(std::filesystem::exists(journal));
        EXPECT_EQ(messageFiles(source), (std::set<std::string>{"cur/live:2,"}));
    }
    openMaildirApplication({storeAt(source)}, "Default");
    EXPECT_FALSE(std::filesystem::exists(journal));
    EXPECT_TRUE(messageFiles(source).empty());
}

// tmp/ loses what has not changed for 36 hours (a younger file may be a
// delivery in progress); hostile journals neither hang nor act.
TEST(MaildirCrossDevice, TmpFilesGoAfter36HoursAndHostileJournalsAreHarmless)
{
    TempFolder temp;
    std::string folder = temp / "Maildir";
    std::string elsewhere = temp / "Elsewhere";
    makeMaildir(folder);
    makeMaildir(elsewhere);
    putMessage(folder, "tmp", "delivery.1.host", 1600000000, "being delivered");
    putMessage(folder, "tmp", "orphan.5.0", 1600000000, "a copy whose journal never was");
    std::filesystem::create_directory(folder + "/tmp/a folder");
    ASSERT_EQ(mkfifo((folder + "/tmp/fifo.kvn-move").c_str(), 0600), 0);
    writeWholeFile(folder + "/tmp/huge.kvn-move", std::string(1 << 20, '\n'));
    putMessage(elsewhere, "cur", "victim:2,", 1600000000, "not ours");
    writeWholeFile(folder + "/tmp/astray.kvn-move",
        folder + "\n" + elsewhere + "/cur/victim:2,\n" + elsewhere + "/tmp/victim.1.0\n");
    std::time_t now = std::time(nullptr);
    finishInterruptedMoves(folder, now);
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder + "/tmp"))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"a folder", "delivery.1.host", "fifo.kvn-move", "orphan.5.0"}));
    EXPECT_EQ(messageFiles(elsewhere), (std::set<std::string>{"cur/victim:2,"}));
    finishInterruptedMoves(folder, now + 36 * 60 * 60 + 1);
    left.clear();
    for (const auto& entry : std::filesystem::directory_iterator(folder + "/tmp"))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"a folder", "fifo.kvn-move"}));
}

} // namespace
} // namespace kvn::outlook
