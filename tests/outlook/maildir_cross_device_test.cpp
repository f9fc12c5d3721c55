// Moves between stores on different file systems: copy, sync, rename,
// unlink, keeping the name, flags and ReceivedTime.
#include "platform/outlook/maildir_store.h"

#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

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

// The state a kill between rename and unlink leaves: the message in both
// folders and the journal in the target's tmp/.
TEST(MaildirCrossDevice, OpeningTheStoreCompletesAnInterruptedMove)
{
    TempFolder temp;
    std::string source = temp / "Maildir";
    std::string target = source + "/.Archive";
    makeMaildir(source);
    makeMaildir(target);
    putMessage(source, "cur", "half:2,S", 1700000000, messageText("half moved")); // flags changed since
    putMessage(target, "cur", "half:2,", 1700000000, messageText("half moved"));
    putMessage(target, "tmp", "half.77.0", 1700000000, "stray copy");
    writeWholeFile(
        target + "/tmp/half.kvn-move", source + "\n" + target + "/cur/half:2,\n" + target + "/tmp/half.77.0\n");
    putMessage(source, "cur", "early:2,", 1700000000, messageText("killed before the rename"));
    writeWholeFile(target + "/tmp/early.kvn-move", source + "\n" + target + "/cur/early:2,\n");
    openMaildirApplication({storeAt(source)}, "Default");
    EXPECT_EQ(messageFiles(source), (std::set<std::string>{"cur/early:2,"}));
    EXPECT_EQ(messageFiles(target), (std::set<std::string>{"cur/half:2,"}));
    EXPECT_TRUE(std::filesystem::is_empty(target + "/tmp"));
}

} // namespace
} // namespace kvn::outlook
