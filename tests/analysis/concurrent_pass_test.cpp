// A pass over an Inbox while another program moves messages from new/ to
// cur/ and changes their flags: nothing is lost, nothing is doubled.
#include "analysis/new_mail_pass.h"

#include "tests/analysis/classification_fixture.h"

#include <cstdio>

#include <atomic>
#include <map>
#include <thread>

namespace kvn {
namespace {

class ConcurrentPassTest : public testing::ClassificationTest {
protected:
    // How many files each unique name has, over every folder of the store.
    std::map<std::string, int> copies() const
    {
        std::map<std::string, int> count;
        for (const std::string& dir : {root(), root() + "/.Trash", root() + "/.KVN Quarantined", root() + "/.Archive"})
            for (const std::string& file : testing::messageFiles(dir)) {
                const std::string name = file.substr(4);
                ++count[name.substr(0, name.find(":2,"))];
            }
        return count;
    }
};

TEST_F(ConcurrentPassTest, ARenamingClientLosesAndDoublesNothing)
{
    constexpr int messages = 120;
    for (int i = 0; i < messages; ++i)
        deliver("m" + std::to_string(1000 + i), testing::messageText("Note " + std::to_string(i)), 1 + i % 5);

    std::atomic<bool> done = false;
    std::thread client([&] {
        // Like a mail client: takes new mail into cur/, then flags and unflags it.
        for (int round = 0; !done; ++round) {
            for (int i = 0; i < messages && !done; ++i) {
                const std::string name = "m" + std::to_string(1000 + i);
                const std::string fresh = root() + "/new/" + name;
                const std::string plain = root() + "/cur/" + name + ":2,";
                const std::string flagged = root() + "/cur/" + name + ":2,F";
                if (std::rename(fresh.c_str(), plain.c_str()) == 0)
                    continue;
                if (round % 2 == 0)
                    std::rename(plain.c_str(), flagged.c_str());
                else
                    std::rename(flagged.c_str(), plain.c_str());
            }
        }
    });
    const PassEnd end = runPass();
    done = true;
    client.join();
    ASSERT_EQ(end, PassEnd::Finished);

    std::map<std::string, int> found = copies();
    ASSERT_EQ(found.size(), static_cast<std::size_t>(messages)) << "no message lost";
    for (const auto& [name, count] : found)
        EXPECT_EQ(count, 1) << name << " is not doubled";

    // What a move raced away from stays unread in the Inbox for the next pass.
    ASSERT_EQ(runPass(), PassEnd::Finished);
    for (int i = 0; i < messages; ++i)
        EXPECT_EQ(placeOf("m" + std::to_string(1000 + i)).folder, "KVN Quarantined");
    EXPECT_EQ(copies().size(), static_cast<std::size_t>(messages));
}

TEST_F(ConcurrentPassTest, AClientMovingAwayAndMarkingReadMeanwhileLosesAndDoublesNothing)
{
    constexpr int messages = 120;
    testing::makeMaildir(root() + "/.Archive");
    add(ListKind::Address, false, "", "ann@example.org");
    for (int i = 0; i < messages; ++i)
        deliver("m" + std::to_string(1000 + i), testing::messageText("Note " + std::to_string(i)), 1 + i % 5);

    std::atomic<bool> done = false;
    std::thread client([&] {
        // Files every third message away in another folder, and marks the
        // others read and unread again, as a user reading along would.
        for (int round = 0; !done; ++round) {
            for (int i = 0; i < messages && !done; ++i) {
                const std::string name = "m" + std::to_string(1000 + i);
                const std::string fresh = root() + "/new/" + name;
                const std::string unread = root() + "/cur/" + name + ":2,";
                const std::string read = root() + "/cur/" + name + ":2,S";
                if (i % 3 == 0) {
                    std::rename(fresh.c_str(), (root() + "/.Archive/cur/" + name + ":2,").c_str());
                    continue;
                }
                if (std::rename(fresh.c_str(), unread.c_str()) == 0)
                    continue;
                if (round % 2 == 0)
                    std::rename(unread.c_str(), read.c_str());
                else
                    std::rename(read.c_str(), unread.c_str());
            }
        }
    });
    // A blocked e-mail filed away between the search and its marking as read
    // ends the pass, as any failure to mark a blocked e-mail does; the next
    // pass (the next new-mail request) goes on where it stopped.
    PassEnd end = PassEnd::Failed;
    for (int pass = 0; pass < 50 && end == PassEnd::Failed; ++pass)
        end = runPass();
    done = true;
    client.join();
    ASSERT_EQ(end, PassEnd::Finished);

    std::map<std::string, int> found = copies();
    ASSERT_EQ(found.size(), static_cast<std::size_t>(messages)) << "no message lost";
    for (const auto& [name, count] : found)
        EXPECT_EQ(count, 1) << name << " is not doubled";
    EXPECT_EQ(statistics().blocked.size(), testing::messageFiles(root() + "/.Trash").size())
        << "each deleted e-mail counted once";
    EXPECT_EQ(entry(ListKind::Address, false, "ann@example.org").receivedCount,
        static_cast<int>(statistics().blocked.size()));
}

TEST_F(ConcurrentPassTest, ListsChangedOnAnotherThreadDuringAPassKeepEveryCount)
{
    constexpr int messages = 150;
    add(ListKind::Address, true, "Carol", "carol@friends.example");
    // Delivery into another folder: a move between the look-up and the bump.
    state.folders.defaultInbox = state.folders.quarantine;
    for (int i = 0; i < messages; ++i)
        deliver("m" + std::to_string(1000 + i), testing::classifyMessage("ham-friend.eml"), 1 + i % 5);

    // Like the Friend and Foe commands on the GUI thread: entries come and
    // go in front of Carol's, under the engine lock, while the pass runs.
    std::atomic<bool> done = false;
    std::thread commands([&] {
        for (int round = 0; !done; ++round) {
            std::lock_guard lock(state.lock);
            FilterLists& lists = state.data.lists();
            if (round % 2 == 0) {
                ListEntry entry(listKindCode(ListKind::Address), "", "c" + std::to_string(round) + "@a.example", 0,
                    "2024.03.15", "");
                insertAddressEntry(lists, true, std::move(entry));
            } else {
                removeEntry(lists, ListKind::Address, true, 0);
            }
        }
    });
    const PassEnd end = runPass();
    done = true;
    commands.join();
    ASSERT_EQ(end, PassEnd::Finished);

    EXPECT_EQ(entry(ListKind::Address, true, "carol@friends.example").receivedCount, messages)
        << "each bump found Carol's entry wherever it had moved";
    EXPECT_EQ(statistics().accepted.size(), static_cast<std::size_t>(messages));
    EXPECT_EQ(state.deliveredMailIds.ids().size(), static_cast<std::size_t>(messages));
}

} // namespace
} // namespace kvn
