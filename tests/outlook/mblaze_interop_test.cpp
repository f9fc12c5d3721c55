// Other Maildir programs agree with us: after our moves and flag changes,
// mblaze lists the same messages in the same folders with the same seen
// flags, and we follow the flag changes mblaze makes.
#include "platform/outlook/maildir_store.h"

#include "platform/outlook/maildir_flags.h"
#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

bool mblazeInstalled()
{
    return std::system("command -v mlist >/dev/null 2>&1 && command -v mflag >/dev/null 2>&1") == 0;
}

std::vector<std::string> outputLines(const std::string& command)
{
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return lines;
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, pipe)) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        lines.push_back(line);
    }
    pclose(pipe);
    return lines;
}

std::string shellQuoted(const std::string& path) { return "'" + path + "'"; }

// unique name -> seen, as mlist sees a folder (-S lists the seen ones).
std::map<std::string, bool> mlistFolder(const std::string& dir)
{
    std::map<std::string, bool> messages;
    for (const auto& path : outputLines("mlist " + shellQuoted(dir)))
        messages[std::string(uniqueNameOf(path.substr(path.rfind('/') + 1)))] = false;
    for (const auto& path : outputLines("mlist -S " + shellQuoted(dir)))
        messages[std::string(uniqueNameOf(path.substr(path.rfind('/') + 1)))] = true;
    return messages;
}

// unique name -> seen, as our object model sees a folder.
std::map<std::string, bool> ourFolder(const FolderPtr& folder)
{
    std::map<std::string, bool> messages;
    auto items = folder->items();
    for (auto item = items->getFirst(); item; item = items->getNext()) {
        auto mail = item->asMailItem();
        messages[mail->entryId()] = !*mail->unRead();
    }
    return messages;
}

TEST(MblazeInterop, MblazeSeesOurMovesAndFlagsAndWeSeeItsFlags)
{
    if (!mblazeInstalled())
        GTEST_SKIP() << "mblaze is not installed";
    TempFolder temp;
    std::string root = temp / "Maildir";
    makeMaildir(root);
    for (int i = 0; i < 12; ++i)
        putMessage(root, i % 2 ? "new" : "cur", "m" + std::to_string(i) + (i % 2 ? "" : ":2,"), 1700000000 + i,
            messageText("m" + std::to_string(i)));
    auto app = openMaildirApplication({storeAt(root)}, "Default");
    auto ns = app->getNamespace("MAPI");
    auto inbox = ns->getDefaultFolder(olFolderInbox);
    auto trash = ns->getDefaultFolder(olFolderDeletedItems);
    auto quarantine = ns->folders()->getFirst()->folders()->add("KVN Quarantined", olFolderInbox);
    ASSERT_TRUE(inbox && trash && quarantine);

    auto items = inbox->items();
    auto found = items->find("[UnRead]=true");
    ASSERT_TRUE(found);
    int n = 0;
    for (auto item = *found; item; item = items->findNext(), ++n) {
        auto mail = item->asMailItem();
        if (n % 3 == 0) {
            ASSERT_TRUE(mail->setUnRead(false));
            ASSERT_TRUE(mail->move(trash));
        } else if (n % 3 == 1) {
            ASSERT_TRUE(mail->move(quarantine));
        } else {
            ASSERT_TRUE(mail->setUnRead(false));
        }
    }
    EXPECT_EQ(mlistFolder(root), ourFolder(inbox));
    EXPECT_EQ(mlistFolder(root + "/.Trash"), ourFolder(trash));
    EXPECT_EQ(mlistFolder(root + "/.KVN Quarantined"), ourFolder(quarantine));
    EXPECT_EQ(mlistFolder(root).size() + mlistFolder(root + "/.Trash").size()
            + mlistFolder(root + "/.KVN Quarantined").size(),
        12u);

    auto dirs = outputLines("mdirs " + shellQuoted(root));
    std::set<std::string> dirSet(dirs.begin(), dirs.end());
    EXPECT_TRUE(dirSet.count(root + "/.Trash")) << "mdirs does not list our Trash";
    EXPECT_TRUE(dirSet.count(root + "/.KVN Quarantined"));

    // mblaze marks the quarantined messages read; we follow its renames.
    auto quarantined = quarantine->items();
    auto first = quarantined->getFirst();
    ASSERT_TRUE(first);
    auto mail = first->asMailItem();
    EXPECT_EQ(mail->unRead(), true);
    ASSERT_EQ(std::system(("mlist " + shellQuoted(root + "/.KVN Quarantined") + " | mflag -S >/dev/null").c_str()), 0);
    EXPECT_EQ(mail->unRead(), false);
    EXPECT_EQ(mlistFolder(root + "/.KVN Quarantined"), ourFolder(quarantine));
    ASSERT_TRUE(mail->move(inbox));
    EXPECT_EQ(mlistFolder(root), ourFolder(inbox));
}

} // namespace
} // namespace kvn::outlook
