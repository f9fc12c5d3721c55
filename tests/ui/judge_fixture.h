// The Friend and Foe commands over a real Maildir store seen through the
// host's explorer (the folder shown and the rows selected as a user selects
// them), real lists behind a real lock, and message boxes answered from a
// script by a Ui that notes whether the lock was free at each of its calls.
#pragma once

#include "host/host_application.h"
#include "lists/list_kind.h"
#include "tests/outlook/maildir_fixture.h"
#include "tests/support/forwarding_ui.h"
#include "tests/support/scripted_ui.h"
#include "ui/judge_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace kvn::testing {

class JudgeTest : public ::testing::Test {
protected:
    JudgeTest()
    {
        for (const char* folder : {"", "/.Trash", "/.Work", "/.Old Inbox"})
            makeMaildir(root() + folder);
        stores = outlook::openMaildirApplication({storeAt(root())}, "Default");
        mapi = stores->getNamespace("MAPI");
        explorer = std::make_shared<host::HostExplorer>(nullptr, nullptr, folder("Inbox"));
        host = com::makeObject<host::HostApplication>(stores, explorer);
    }
    ~JudgeTest() override { EXPECT_EQ(checkingUi.callsWithLockHeld, 0) << "a message box came with the lock held"; }

    std::string root() const { return temp / "mail"; }

    // A top-level folder by name ("Inbox", "Trash", "Work", "Old Inbox").
    outlook::FolderPtr folder(const std::string& name)
    {
        if (name == "Inbox")
            return mapi->getDefaultFolder(outlook::olFolderInbox);
        if (name == "Trash")
            return mapi->getDefaultFolder(outlook::olFolderDeletedItems);
        return mapi->folders()->getFirst()->folders()->item(name);
    }

    // An unread e-mail in the folder, received on 14 March 2024 at the hour.
    void arrive(const std::string& folderName, const std::string& unique, const std::string& from, int hour)
    {
        const std::string dir = folderName == "Inbox" ? root() : root() + "/." + folderName;
        putMessage(dir, "new", unique, localSeconds(2024, 3, 14, hour, 0), messageText("From " + from, from));
    }

    // Shows the folder and selects the e-mails, in this order, as rows.
    void view(const std::string& folderName, const std::vector<std::string>& uniques = {})
    {
        ASSERT_TRUE(explorer->setCurrentFolder(folder(folderName)));
        std::vector<outlook::ItemPtr> rows;
        const outlook::ItemsPtr items = folder(folderName)->items();
        for (const std::string& unique : uniques)
            for (outlook::ItemPtr item = items->getFirst(); item; item = items->getNext())
                if (item->asMailItem() && item->asMailItem()->entryId() == unique)
                    rows.push_back(item);
        ASSERT_EQ(rows.size(), uniques.size());
        explorer->select(rows);
    }

    // The folder the e-mail is in now ("Inbox", "Trash", ...), or "gone".
    std::string whereIs(const std::string& unique) const
    {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root())) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_regular_file() || !name.starts_with(unique))
                continue;
            const std::string dir = entry.path().parent_path().parent_path().filename().string();
            return dir == "mail" ? "Inbox" : dir.substr(1);
        }
        return "gone";
    }

    void listAddress(bool white, const std::string& name, const std::string& address, int count = 3)
    {
        ListEntry entry(listKindCode(ListKind::Address), name, address, count, "2024.01.01", "2024.02.02");
        entry.isWhite = white;
        insertAddressEntry(lists, white, entry);
    }
    void listDomain(bool white, const std::string& domain)
    {
        ListEntry entry(listKindCode(ListKind::Domain), domain, "", 1, "2024.01.01", "");
        entry.isWhite = white;
        lists.sequence(ListKind::Domain, white).push_back(entry);
    }

    // One polarity's addresses in sequence order, after checking that the
    // FirstCharIndex holds their first bytes.
    std::vector<std::string> addresses(bool white) const
    {
        std::vector<std::string> found;
        std::string firstBytes;
        for (const ListEntry& entry : lists.sequence(ListKind::Address, white)) {
            found.push_back(entry.extra);
            firstBytes += FilterLists::indexByteOf(entry.extra);
        }
        EXPECT_EQ(lists.firstCharIndex(white), firstBytes) << "the index is out of step";
        return found;
    }
    std::vector<std::string> domains(bool white) const
    {
        std::vector<std::string> found;
        for (const ListEntry& entry : lists.sequence(ListKind::Domain, white))
            found.push_back(entry.value);
        return found;
    }
    const ListEntry& addressEntry(bool white, const std::string& address) const
    {
        const ListSequence& entries = lists.sequence(ListKind::Address, white);
        return *std::find_if(
            entries.begin(), entries.end(), [&](const ListEntry& entry) { return entry.extra == address; });
    }

    // The context the bar gives the commands; `application` may be a
    // failing wrapper around the host's.
    JudgeContext context(outlook::Application* application = nullptr)
    {
        return JudgeContext{application ? *application : *host->objectModel(), lock, lists, delivered, nullptr,
            folder("Trash"), checkingUi, clock};
    }
    void judgeSenders(bool trust)
    {
        JudgeContext judging = context();
        JudgeSelectedSenders(judging, trust);
    }
    void judgeDomains(bool trust)
    {
        JudgeContext judging = context();
        JudgeSelectedDomains(judging, trust);
    }

    TempFolder temp;
    outlook::ApplicationPtr stores;
    outlook::NamespacePtr mapi;
    std::shared_ptr<host::HostExplorer> explorer;
    com::ComPtr<host::HostApplication> host;
    std::mutex lock;
    FilterLists lists;
    DeliveredMailIds delivered;
    ScriptedUi ui;
    LockCheckingUi checkingUi{ui, lock};
    SettableClock clock{oleDateOf(2024, 3, 15, 12, 0)};
};

} // namespace kvn::testing
