// Walks of a large Inbox while another client changes flags: a thread renames
// "u:2," to "u:2,S" and back for some of the messages as fast as it can, and
// every walk (GetFirst/GetNext, Find/FindNext by time, by read status) must
// give each message that matched exactly once. On ext4 (the build folder's
// file system) a directory is listed in hash order, on tmpfs in order of
// creation; both are tried.
#include "platform/outlook/maildir_store.h"

#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

constexpr int messageCount = 3000;
constexpr int toggledCount = 20;
constexpr int freshCount = 50; // unread in new/, never renamed

std::string uniqueName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "1700000000.M%04dP1.host", i);
    return name;
}

bool isToggled(int i) { return i % (messageCount / toggledCount) == 7; }
bool startsRead(int i) { return i % 2 == 1; }

// Another mail client marking some messages read and unread, over and over.
class FlagToggler {
public:
    explicit FlagToggler(std::string root) : root_(std::move(root)), thread_([this] { run(); }) { }
    ~FlagToggler()
    {
        stop_ = true;
        thread_.join();
    }
    long renames() const { return renames_; }

private:
    void run()
    {
        std::map<int, bool> seen;
        for (int i = 0; i < messageCount; ++i) {
            if (isToggled(i))
                seen[i] = startsRead(i);
        }
        while (!stop_) {
            for (auto& [i, read] : seen) {
                std::string cur = root_ + "/cur/" + uniqueName(i);
                if (std::rename((cur + (read ? ":2,S" : ":2,")).c_str(), (cur + (read ? ":2," : ":2,S")).c_str())
                    == 0) {
                    read = !read;
                    ++renames_;
                }
            }
        }
    }

    std::string root_;
    std::atomic<bool> stop_{false};
    std::atomic<long> renames_{0};
    std::thread thread_;
};

struct Place {
    const char* name;
    std::string base;
};

void PrintTo(const Place& place, std::ostream* out) { *out << place.name << " (" << place.base << ")"; }

std::string fileSystemOf(const std::string& path)
{
    struct statfs info { };
    if (statfs(path.c_str(), &info) != 0)
        return "unknown";
    switch (info.f_type) {
    case 0xEF53:
        return "ext4";
    case 0x01021994:
        return "tmpfs";
    default:
        return "type " + std::to_string(info.f_type);
    }
}

// How often each unique name was given in one walk.
using Sightings = std::map<std::string, int>;

struct Defects {
    int twice = 0; // walks that gave a message more than once
    int missed = 0; // walks that left out a message that matched throughout
};

class MaildirUnderFlagChanges : public ::testing::TestWithParam<Place> {
protected:
    void SetUp() override
    {
        struct statfs info { };
        if (statfs(GetParam().base.c_str(), &info) != 0)
            GTEST_SKIP() << GetParam().base << " does not exist";
        temp.emplace(GetParam().base);
        root = *temp / "Maildir";
        makeMaildir(root);
        std::int64_t received = localSeconds(2024, 3, 1, 8, 0);
        // Links to one file: thousands of new files take seconds on a busy ext4.
        std::string original = putMessage(temp->path(), ".", "message", received, "Subject: x\r\n\r\n");
        for (int i = 0; i < messageCount + freshCount; ++i) {
            std::string name = i >= messageCount ? "new/" + uniqueName(i)
                                                 : "cur/" + uniqueName(i) + (startsRead(i) ? ":2,S" : ":2,");
            ASSERT_EQ(link(original.c_str(), (root + "/" + name).c_str()), 0) << name;
        }
        app = openMaildirApplication({storeAt(root)}, "Default");
        inbox = app->getNamespace("MAPI")->getDefaultFolder(olFolderInbox);
        std::cout << "Maildir on " << fileSystemOf(root) << "\n";
    }

    // Walk number n: all items, a find by time (every message matches), or a
    // find of the unread ones.
    Sightings walk(int n)
    {
        auto items = inbox->items();
        Sightings sightings;
        ItemPtr item;
        bool found = n % 3 != 0;
        if (n % 3 == 0) {
            item = items->getFirst();
        } else {
            auto first = items->find(n % 3 == 1 ? "[ReceivedTime]>='Mar 01 2024 08:00 AM'" : "[UnRead]=true");
            item = first ? *first : nullptr;
        }
        for (; item; item = found ? items->findNext() : items->getNext())
            ++sightings[item->asMailItem()->entryId()];
        return sightings;
    }

    // Every message given at most once, and every one that matched the whole
    // time exactly once (a toggled message may or may not be unread).
    void check(int n, const Sightings& sightings, Defects& defects)
    {
        bool twice = false;
        bool missed = false;
        for (int i = 0; i < messageCount + freshCount; ++i) {
            auto at = sightings.find(uniqueName(i));
            int seen = at == sightings.end() ? 0 : at->second;
            twice = twice || seen > 1;
            bool unread = i >= messageCount || !startsRead(i);
            bool mustMatch = n % 3 != 2 || (unread && !isToggled(i));
            bool mustNotMatch = n % 3 == 2 && !unread && !isToggled(i);
            missed = missed || (mustMatch && seen == 0);
            EXPECT_FALSE(mustNotMatch && seen > 0) << uniqueName(i) << " is read but was found as unread";
        }
        defects.twice += twice;
        defects.missed += missed;
    }

    void walkWhileFlagsChange(int walks)
    {
        Defects defects;
        long renamesBefore = 0;
        int walksWithRenames = 0;
        FlagToggler toggler(root);
        while (toggler.renames() == 0)
            std::this_thread::yield();
        for (int n = 0; n < walks; ++n) {
            renamesBefore = toggler.renames();
            check(n, walk(n), defects);
            walksWithRenames += toggler.renames() > renamesBefore;
        }
        std::cout << walks << " walks, " << walksWithRenames << " of them during flag changes, " << toggler.renames()
                  << " renames\n";
        EXPECT_EQ(defects.twice, 0) << "walks that gave a message twice, of " << walks;
        EXPECT_EQ(defects.missed, 0) << "walks that missed a message, of " << walks;
        // The walks must really have raced with the other client.
        EXPECT_GE(walksWithRenames, walks / 2);
    }

    std::optional<TempFolder> temp;
    std::string root;
    ApplicationPtr app;
    FolderPtr inbox;
};

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define KVN_SANITIZED_TEST 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
#define KVN_SANITIZED_TEST 1
#endif
#endif
#ifdef KVN_SANITIZED_TEST
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

// 30 walks in the everyday run (12 where a sanitizer slows every walk); the
// build registers a second run of 300 (KVN_MAILDIR_WALKS=300, label "long").
int walksToTake()
{
    const char* walks = std::getenv("KVN_MAILDIR_WALKS");
    if (walks != nullptr && std::atoi(walks) > 0)
        return std::atoi(walks);
    return sanitized ? 12 : 30;
}

TEST_P(MaildirUnderFlagChanges, EveryWalkGivesEveryMatchingMessageExactlyOnce) { walkWhileFlagsChange(walksToTake()); }

INSTANTIATE_TEST_SUITE_P(FileSystems, MaildirUnderFlagChanges,
    ::testing::Values(Place{"BuildFolder", KVN_TEST_BUILD_DIR}, Place{"Tmpfs", "/dev/shm"}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace kvn::outlook
