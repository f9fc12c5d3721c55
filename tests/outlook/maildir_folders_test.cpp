// Stores, folders and default folders of the Maildir++ object model.
#include "platform/outlook/maildir_store.h"

#include "tests/outlook/maildir_fixture.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

class MaildirFolders : public ::testing::Test {
protected:
    MaildirFolders()
    {
        root = temp / "Maildir";
        makeMaildir(root);
    }
    NamespacePtr open(std::vector<StoreConfig> stores)
    {
        app = openMaildirApplication(std::move(stores), "Work");
        return app->getNamespace("MAPI");
    }
    TempFolder temp;
    std::string root;
    ApplicationPtr app;
};

TEST_F(MaildirFolders, TopFolderHoldsInboxTheStoreFoldersAndContacts)
{
    makeMaildir(root + "/.Work");
    makeMaildir(root + "/.archive");
    makeMaildir(root + "/.Work.Projects");
    makeMaildir(root + "/.Entw&APw-rfe");
    std::filesystem::create_directories(root + "/.notmuch/xapian"); // an indexer's database, not mail
    makeMaildir(root + "/.Old.2019"); // ".Old" itself is missing
    auto ns = open({storeAt(root)});
    ASSERT_TRUE(ns);
    auto tops = ns->folders();
    ASSERT_EQ(tops->count(), 1u);
    auto top = tops->getFirst();
    EXPECT_EQ(top->name(), "Personal Folders");
    EXPECT_EQ(top->parent(), nullptr);
    EXPECT_EQ(folderNames(top->folders()),
        (std::vector<std::string>{"Inbox", "archive", "Entwürfe", "Old", "Work", "Contacts"}));
    EXPECT_EQ(folderNames(top->folders()->item("Old")->folders()), (std::vector<std::string>{"2019"}));
    auto work = top->folders()->item("Work");
    ASSERT_TRUE(work);
    EXPECT_EQ(folderNames(work->folders()), (std::vector<std::string>{"Projects"}));
    auto projects = work->folders()->item("Projects");
    ASSERT_TRUE(projects);
    EXPECT_EQ(projects->parent()->name(), "Work");
    EXPECT_EQ(projects->parent()->parent()->name(), "Personal Folders");
    EXPECT_EQ(projects->entryId(), work->folders()->item("Projects")->entryId());
    EXPECT_NE(projects->entryId(), work->entryId());
}

TEST_F(MaildirFolders, LowerCaseInboxIsAnOrdinaryFolder)
{
    makeMaildir(root + "/.inbox");
    auto top = open({storeAt(root)})->folders()->getFirst();
    auto folders = top->folders();
    EXPECT_EQ(folderNames(folders), (std::vector<std::string>{"Inbox", "inbox", "Contacts"}));
    auto inbox = folders->item("Inbox");
    auto lower = folders->item("inbox");
    ASSERT_TRUE(inbox && lower);
    EXPECT_NE(inbox->entryId(), lower->entryId());
    EXPECT_EQ(inbox->entryId(), open({storeAt(root)})->getDefaultFolder(olFolderInbox)->entryId());
}

TEST_F(MaildirFolders, StoresAppearInProfileOrderWithTheirNames)
{
    std::string archive = temp / "archive";
    makeMaildir(archive);
    auto tops = open({storeAt(root, "Mailbox"), storeAt(archive, "Archive Folders")})->folders();
    EXPECT_EQ(folderNames(tops), (std::vector<std::string>{"Mailbox", "Archive Folders"}));
    auto archiveTop = tops->item("Archive Folders");
    ASSERT_TRUE(archiveTop);
    EXPECT_TRUE(archiveTop->folders()->item("Inbox"));
    EXPECT_EQ(tops->item("archive folders"), nullptr);
}

TEST_F(MaildirFolders, DefaultFoldersAlwaysAnswerAndCreateTrashAndSent)
{
    auto ns = open({storeAt(root)});
    auto inbox = ns->getDefaultFolder(olFolderInbox);
    ASSERT_TRUE(inbox);
    EXPECT_EQ(inbox->name(), "Inbox");
    auto contacts = ns->getDefaultFolder(olFolderContacts);
    ASSERT_TRUE(contacts);
    EXPECT_EQ(contacts->defaultItemType(), olContactItem);
    EXPECT_EQ(contacts->items()->count(), 0u);
    EXPECT_EQ(contacts->parent()->name(), "Personal Folders");
    EXPECT_FALSE(std::filesystem::exists(root + "/.Trash"));
    auto trash = ns->getDefaultFolder(olFolderDeletedItems);
    ASSERT_TRUE(trash);
    EXPECT_EQ(trash->name(), "Trash");
    EXPECT_EQ(trash->defaultItemType(), olMailItem);
    EXPECT_TRUE(std::filesystem::is_directory(root + "/.Trash/cur"));
    EXPECT_TRUE(std::filesystem::exists(root + "/.Trash/maildirfolder"));
    auto sent = ns->getDefaultFolder(olFolderSentMail);
    ASSERT_TRUE(sent);
    EXPECT_TRUE(std::filesystem::is_directory(root + "/.Sent/new"));
    EXPECT_EQ(ns->getDefaultFolder(4), nullptr);
    EXPECT_EQ(app->getNamespace("CDO"), nullptr);
}

TEST_F(MaildirFolders, NoStoreMeansNoFolders)
{
    auto ns = open({});
    EXPECT_EQ(ns->folders()->count(), 0u);
    EXPECT_EQ(ns->getDefaultFolder(olFolderInbox), nullptr);
    EXPECT_EQ(ns->getDefaultFolder(olFolderDeletedItems), nullptr);
}

TEST_F(MaildirFolders, TrashOfAStoreWhoseRootIsGoneIsNotCreated)
{
    auto ns = open({storeAt(temp / "missing")});
    EXPECT_EQ(ns->getDefaultFolder(olFolderDeletedItems), nullptr);
    EXPECT_FALSE(std::filesystem::exists(temp / "missing"));
}

TEST_F(MaildirFolders, AddCreatesAMaildirFolderOnceWithDovecotsName)
{
    auto top = open({storeAt(root)})->folders()->getFirst();
    auto folders = top->folders();
    auto added = folders->add("KVN Quarantined", olFolderInbox);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->name(), "KVN Quarantined");
    EXPECT_TRUE(std::filesystem::is_directory(root + "/.KVN Quarantined/tmp"));
    EXPECT_EQ(folders->add("KVN Quarantined", olFolderInbox), nullptr);
    EXPECT_TRUE(folders->item("KVN Quarantined"));
    EXPECT_EQ(folders->add("", olFolderInbox), nullptr);
    EXPECT_EQ(folders->add("Calendar", 9), nullptr);
    ASSERT_TRUE(folders->add("Entwürfe v1.2", olFolderInbox));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/.Entw&APw-rfe v1\\2e2/cur"));
    auto nested = added->folders()->add("Old", olFolderInbox);
    ASSERT_TRUE(nested);
    EXPECT_TRUE(std::filesystem::is_directory(root + "/.KVN Quarantined.Old/cur"));
    EXPECT_EQ(folderNames(top->folders()->item("KVN Quarantined")->folders()), (std::vector<std::string>{"Old"}));
}

TEST_F(MaildirFolders, VCardFolderIsTheContactsFolder)
{
    std::string cards = temp / "cards";
    std::filesystem::create_directories(cards);
    writeWholeFile(cards + "/a.vcf",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nEMAIL:ann@example.org\r\nEMAIL:ann@work.example\r\n"
        "EMAIL:a3@x.example\r\nEMAIL:a4@x.example\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bob\r\nEMAIL;TYPE=work:bob@example.net\r\nEND:VCARD\r\n");
    auto config = storeAt(root);
    config.contactsFolder = cards;
    auto ns = open({config});
    auto contacts = ns->getDefaultFolder(olFolderContacts);
    ASSERT_TRUE(contacts);
    EXPECT_EQ(contacts->name(), "Contacts");
    auto items = contacts->items();
    ASSERT_EQ(items->count(), 2u);
    auto safe = app->createSafeContactItem();
    auto first = items->getFirst();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->asMailItem(), nullptr);
    safe->setItem(first->asContactItem());
    EXPECT_EQ(safe->email(1).address, "ann@example.org");
    EXPECT_EQ(safe->email(1).name, "Ann Smith");
    EXPECT_EQ(safe->email(3).address, "a3@x.example");
    EXPECT_EQ(safe->email(4).address, ""); // only three addresses are a contact's
    auto second = items->getNext();
    ASSERT_TRUE(second);
    safe->setItem(second->asContactItem());
    EXPECT_EQ(safe->email(1).address, "bob@example.net");
    EXPECT_EQ(safe->email(2).address, "");
    EXPECT_EQ(items->getNext(), nullptr);
}

TEST_F(MaildirFolders, CdoSessionNamesTheProfile)
{
    open({storeAt(root)});
    EXPECT_EQ(app->createCdoSession()->profileName(), "Work");
    EXPECT_EQ(openMaildirApplication({}, "")->createCdoSession()->profileName(), "Default");
}

TEST_F(MaildirFolders, LinkedFoldersAreShownOnceAndNeverAsASecondInbox)
{
    makeMaildir(root + "/.Archive");
    makeMaildir(temp / "elsewhere");
    std::filesystem::create_directory_symlink(".", root + "/.Again"); // the root once more
    std::filesystem::create_directory_symlink(".Archive", root + "/.Aarchive"); // a second name
    std::filesystem::create_directory_symlink(".Loop", root + "/.Loop"); // a link to itself
    std::filesystem::create_directory_symlink("missing", root + "/.Dangling");
    std::filesystem::create_directory_symlink(temp / "elsewhere", root + "/.Far"); // a folder on another disk
    auto ns = open({storeAt(root)});
    auto top = ns->folders()->getFirst();
    EXPECT_EQ(folderNames(top->folders()), (std::vector<std::string>{"Inbox", "Archive", "Far", "Contacts"}));
    EXPECT_EQ(top->folders()->item("Again"), nullptr);
}

// Folders whose cur/ or new/ cannot be listed whole: every call that needs
// the listing fails, so that no caller takes the folder for an empty one.
TEST_F(MaildirFolders, AFolderThatCannotBeListedFailsInsteadOfLookingEmpty)
{
    putMessage(root, "new", "unread", 1700000000, messageText("unread"));
    putMessage(root, "cur", "read:2,S", 1700000000, messageText("read"));
    makeMaildir(root + "/.Broken");
    std::filesystem::remove(root + "/.Broken/new");
    writeWholeFile(root + "/.Broken/new", "not a folder");
    auto ns = open({storeAt(root)});
    auto brokenFolder = ns->folders()->getFirst()->folders()->item("Broken");
    ASSERT_TRUE(brokenFolder);
    auto broken = brokenFolder->items();
    EXPECT_EQ(broken->count(), std::nullopt);
    EXPECT_EQ(broken->find("[UnRead]=true"), std::nullopt);
    EXPECT_EQ(broken->restrict("[UnRead]=true"), nullptr);
    EXPECT_EQ(broken->getFirst(), nullptr);

    // cur/ unreadable to its user (root reads anything): new/ holds unread mail.
    handOver(temp.path());
    std::filesystem::permissions(root + "/cur", std::filesystem::perms::none);
    auto run = runUnprivileged([&] {
        auto inbox = openMaildirApplication({storeAt(root)}, "")->getNamespace("MAPI")->getDefaultFolder(olFolderInbox);
        auto items = inbox->items();
        auto count = items->count();
        auto found = items->find("[UnRead]=true");
        return std::string(count ? "counted " + std::to_string(*count) : "no count") + (found ? ", found" : ", no find")
            + (items->restrict("[UnRead]=true") ? ", restricted" : ", no restrict");
    });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output, "no count, no find, no restrict");
    std::filesystem::permissions(root + "/cur", std::filesystem::perms::owner_all);
    EXPECT_EQ(ns->getDefaultFolder(olFolderInbox)->items()->count(), 2u);
}

// Only regular files (or links to them) in cur/ and new/ are messages.
TEST_F(MaildirFolders, EntriesThatAreNoRegularFilesAreNoMessages)
{
    putMessage(root, "cur", "real:2,", 1700000000, messageText("real"));
    putMessage(temp.path(), ".", "outside", 1700000000, messageText("linked"));
    std::filesystem::create_symlink(temp / "outside", root + "/cur/linked:2,");
    std::filesystem::create_symlink(temp / "missing", root + "/cur/dangling:2,");
    std::filesystem::create_symlink("looping:2,", root + "/cur/looping:2,");
    std::filesystem::create_directory_symlink(root + "/tmp", root + "/new/folder-link");
    std::filesystem::create_directory(root + "/new/folder");
    ASSERT_EQ(mkfifo((root + "/new/fifo").c_str(), 0600), 0);
    auto items = open({storeAt(root)})->folders()->getFirst()->folders()->item("Inbox")->items();
    EXPECT_EQ(items->count(), 2u);
    std::set<std::string> walked;
    for (auto item = items->getFirst(); item; item = items->getNext())
        walked.insert(item->asMailItem()->entryId());
    EXPECT_EQ(walked, (std::set<std::string>{"linked", "real"}));
    std::set<std::string> found;
    auto first = items->find("[ReceivedTime]>='Jan 01 2020 12:00 AM'");
    ASSERT_TRUE(first);
    for (auto item = *first; item; item = items->findNext())
        found.insert(item->asMailItem()->entryId());
    EXPECT_EQ(found, walked);
}

} // namespace
} // namespace kvn::outlook
