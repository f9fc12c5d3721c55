// Items of a Maildir folder: Find/FindNext while moving and marking, flags,
// moves, ReceivedTime, and what the safe mail item reads.
#include "platform/outlook/maildir_store.h"
#include "platform/outlook/message_file.h"

#include "analysis/filter_date.h"
#include "platform/core/ole_date.h"
#include "platform/outlook/maildir_move.h"
#include "tests/outlook/maildir_fixture.h"
#include "tests/support/unprivileged.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

class MaildirItems : public ::testing::Test {
protected:
    MaildirItems()
    {
        root = temp / "Maildir";
        makeMaildir(root);
        makeMaildir(root + "/.Archive");
        app = openMaildirApplication({storeAt(root)}, "Default");
        ns = app->getNamespace("MAPI");
        inbox = ns->getDefaultFolder(olFolderInbox);
        archive = ns->folders()->getFirst()->folders()->item("Archive");
    }
    std::vector<std::string> entryIdsFound(const ItemsPtr& items, const std::string& filter)
    {
        std::vector<std::string> ids;
        auto first = items->find(filter);
        EXPECT_TRUE(first) << filter;
        for (auto item = first ? *first : nullptr; item; item = items->findNext())
            ids.push_back(item->asMailItem()->entryId());
        return ids;
    }
    MailItemPtr only(const FolderPtr& folder)
    {
        auto items = folder->items();
        EXPECT_EQ(items->count(), 1u);
        auto item = items->getFirst();
        return item ? item->asMailItem() : nullptr;
    }

    TempFolder temp;
    std::string root;
    ApplicationPtr app;
    NamespacePtr ns;
    FolderPtr inbox;
    FolderPtr archive;
    std::int64_t jan5 = localSeconds(2004, 1, 5, 21, 30, 40);
};

TEST_F(MaildirItems, FindTakesUnreadMailByFlagsAndTime)
{
    putMessage(root, "new", "m1", jan5, messageText("new and unread"));
    putMessage(root, "cur", "m2:2,S", jan5, messageText("read"));
    putMessage(root, "cur", "m3:2,F", jan5 - 3600, messageText("flagged, unread, older"));
    putMessage(root, "cur", "m4:2,", jan5 - 60, messageText("unread, a minute too early"));
    auto items = inbox->items();
    EXPECT_EQ(items->count(), 4u);
    // By file name when only flags count; oldest first when times do.
    EXPECT_EQ(entryIdsFound(items, "[UnRead]=true"), (std::vector<std::string>{"m1", "m3", "m4"}));
    EXPECT_EQ(entryIdsFound(items, "[UnRead]=true and [ReceivedTime]>='Jan 01 2004 09:30 PM'"),
        (std::vector<std::string>{"m3", "m4", "m1"}));
    EXPECT_EQ(entryIdsFound(items, "[UnRead]=true and [ReceivedTime]>='Jan 05 2004 09:30 PM'"),
        (std::vector<std::string>{"m1"}));
    EXPECT_EQ(entryIdsFound(items, "[UnRead]=false"), (std::vector<std::string>{"m2"}));
    auto restricted = items->restrict("[UnRead]=true and [ReceivedTime]<='Jan 05 2004 09:29 PM'");
    ASSERT_TRUE(restricted);
    EXPECT_EQ(restricted->count(), 2u);
    EXPECT_FALSE(items->find("[Subject]='x'"));
    EXPECT_EQ(items->restrict("[UnRead]"), nullptr);
}

TEST_F(MaildirItems, ALongWalkGivesEveryMessageOnceInOrderFromBothSubfolders)
{
    // Enough files in both new/ and cur/ that the listing adds the second
    // subfolder's files to the first's and the walk's list shrinks many times.
    std::vector<std::string> byName;
    std::vector<std::string> byTime;
    for (int i = 0; i < 600; ++i) {
        const std::string unique = "m" + std::to_string(1000 + (i * 7919) % 600);
        putMessage(root, i % 3 ? "cur" : "new", unique + (i % 3 ? ":2," : ""), jan5 - i, messageText("n"));
        byName.push_back(unique);
        byTime.insert(byTime.begin(), unique);
    }
    std::sort(byName.begin(), byName.end());
    auto items = inbox->items();
    EXPECT_EQ(entryIdsFound(items, "[UnRead]=true"), byName);
    EXPECT_EQ(entryIdsFound(items, "[UnRead]=true and [ReceivedTime]>='Jan 01 2004 09:30 PM'"), byTime);
}

TEST_F(MaildirItems, MovingAndMarkingTheFoundMailNeverDisturbsTheWalk)
{
    for (int i = 0; i < 50; ++i)
        putMessage(root, i % 2 ? "new" : "cur", "m" + std::to_string(100 + i) + (i % 2 ? "" : ":2,"), jan5 + i,
            messageText("n" + std::to_string(i)));
    auto items = inbox->items();
    auto item = items->find("[UnRead]=true");
    ASSERT_TRUE(item);
    std::set<std::string> seen;
    int handled = 0;
    for (auto found = *item; found; found = items->findNext(), ++handled) {
        auto mail = found->asMailItem();
        ASSERT_TRUE(mail);
        EXPECT_TRUE(seen.insert(mail->entryId()).second) << "given twice: " << mail->entryId();
        if (handled % 3 == 0) {
            ASSERT_TRUE(mail->setUnRead(false));
            ASSERT_TRUE(mail->move(archive));
        } else if (handled % 3 == 1) {
            ASSERT_TRUE(mail->move(archive));
        } else {
            ASSERT_TRUE(mail->setUnRead(false));
        }
    }
    EXPECT_EQ(handled, 50);
    EXPECT_EQ(messageFiles(root + "/.Archive").size() + messageFiles(root).size(), 50u);
    EXPECT_EQ(archive->items()->count(), 34u);
}

TEST_F(MaildirItems, FindNextFollowsRenamedMailAndTestsTheFilterAsTheMailIsNow)
{
    for (const char* name : {"a", "b", "c", "d"})
        putMessage(root, "new", name, jan5, messageText(name));
    auto items = inbox->items();
    auto first = items->find("[UnRead]=true");
    ASSERT_TRUE(first && *first);
    EXPECT_EQ((*first)->asMailItem()->entryId(), "a");
    // Another client deletes b, takes c into cur/ still unread, and marks d read.
    std::remove((root + "/new/b").c_str());
    std::rename((root + "/new/c").c_str(), (root + "/cur/c:2,").c_str());
    std::rename((root + "/new/d").c_str(), (root + "/cur/d:2,S").c_str());
    auto next = items->findNext();
    ASSERT_TRUE(next);
    auto c = next->asMailItem();
    EXPECT_EQ(c->entryId(), "c");
    EXPECT_EQ(c->unRead(), true);
    EXPECT_EQ(c->subject(), "c");
    EXPECT_EQ(items->findNext(), nullptr) << "d is read now";

    // A restricted collection's walk tests its filter as the mail is now too.
    auto unread = items->restrict("[UnRead]=true");
    ASSERT_TRUE(unread);
    EXPECT_EQ(unread->count(), 2u);
    auto walked = unread->getFirst();
    ASSERT_TRUE(walked);
    EXPECT_EQ(walked->asMailItem()->entryId(), "a");
    std::rename((root + "/cur/c:2,").c_str(), (root + "/cur/c:2,S").c_str());
    EXPECT_EQ(unread->getNext(), nullptr) << "c is read now";
}

TEST_F(MaildirItems, FindNextTestsTheReceivedTimeAsTheMailIsNow)
{
    for (const char* name : {"early", "moved back", "late"})
        putMessage(root, "new", name, jan5 + (name[0] == 'l' ? 120 : 0), messageText(name));
    auto items = inbox->items();
    auto first = items->find("[ReceivedTime]>='Jan 05 2004 09:30 PM'");
    ASSERT_TRUE(first && *first);
    EXPECT_EQ((*first)->asMailItem()->entryId(), "early");
    // Another program sets one message's time back a day, in place.
    putMessage(root, "new", "moved back", jan5 - 86400, messageText("moved back"));
    auto next = items->findNext();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->asMailItem()->entryId(), "late");
    EXPECT_EQ(items->findNext(), nullptr);
}

TEST_F(MaildirItems, UnReadIsTheSeenFlagAndSettingItKeepsOtherFlags)
{
    putMessage(root, "cur", "u1:2,FR", jan5, messageText("x"));
    auto mail = only(inbox);
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->unRead(), true);
    ASSERT_TRUE(mail->setUnRead(false));
    EXPECT_EQ(messageFiles(root), (std::set<std::string>{"cur/u1:2,FRS"}));
    EXPECT_EQ(mail->unRead(), false);
    ASSERT_TRUE(mail->setUnRead(true));
    EXPECT_EQ(messageFiles(root), (std::set<std::string>{"cur/u1:2,FR"}));

    putMessage(root, "new", "u2", jan5, messageText("y"));
    auto items = inbox->items();
    auto found = items->find("[UnRead]=true and [ReceivedTime]>='Jan 05 2004 09:30 PM'");
    ASSERT_TRUE(found && *found);
    auto fresh = (*found)->asMailItem();
    if (fresh->entryId() != "u2")
        fresh = items->findNext()->asMailItem();
    ASSERT_EQ(fresh->entryId(), "u2");
    ASSERT_TRUE(fresh->setUnRead(false));
    EXPECT_TRUE(messageFiles(root).count("cur/u2:2,S"));
}

// Setting UnRead tries the place the message was last seen first: a flag
// change made there by another program meanwhile must neither be lost nor
// taken for the change asked for.
TEST_F(MaildirItems, SettingUnReadFollowsAFlagChangeMadeSinceTheItemLooked)
{
    putMessage(root, "cur", "u:2,", jan5, messageText("x"));
    auto mail = only(inbox);
    ASSERT_TRUE(mail);
    std::rename((root + "/cur/u:2,").c_str(), (root + "/cur/u:2,S").c_str());
    ASSERT_TRUE(mail->setUnRead(true)); // looks like nothing to do where it was seen
    EXPECT_EQ(messageFiles(root), (std::set<std::string>{"cur/u:2,"}));
    std::rename((root + "/cur/u:2,").c_str(), (root + "/cur/u:2,FS").c_str());
    ASSERT_TRUE(mail->setUnRead(false)); // already read, under another name
    EXPECT_EQ(messageFiles(root), (std::set<std::string>{"cur/u:2,FS"}));
    std::rename((root + "/cur/u:2,FS").c_str(), (root + "/new/u").c_str());
    ASSERT_TRUE(mail->setUnRead(false));
    EXPECT_EQ(messageFiles(root), (std::set<std::string>{"cur/u:2,S"}));
}

// A walk's items rename their files in directories the walk holds open. A
// target folder taken away and made again meanwhile is found by its path, and
// once the walk is over, moves and flag changes go by path alone.
TEST_F(MaildirItems, MovesDuringAWalkFollowATargetFolderMadeAgain)
{
    for (const char* name : {"a", "b", "c"})
        putMessage(root, "new", name, jan5, messageText(name));
    auto items = inbox->items();
    auto first = items->find("[UnRead]=true");
    ASSERT_TRUE(first && *first);
    auto mail = (*first)->asMailItem();
    ASSERT_TRUE(mail->setUnRead(false));
    ASSERT_TRUE(mail->move(archive));
    EXPECT_EQ(messageFiles(root + "/.Archive"), (std::set<std::string>{"cur/a:2,S"}));

    std::filesystem::remove_all(root + "/.Archive");
    makeMaildir(root + "/.Archive");
    auto second = items->findNext();
    ASSERT_TRUE(second);
    ASSERT_TRUE(second->asMailItem()->move(archive));
    EXPECT_EQ(messageFiles(root + "/.Archive"), (std::set<std::string>{"cur/b:2,"}));

    auto third = items->findNext();
    ASSERT_TRUE(third);
    EXPECT_FALSE(items->findNext()); // the walk is over
    auto last = third->asMailItem();
    ASSERT_TRUE(last->setUnRead(false));
    ASSERT_TRUE(last->move(archive));
    EXPECT_EQ(messageFiles(root + "/.Archive"), (std::set<std::string>{"cur/b:2,", "cur/c:2,S"}));
    EXPECT_TRUE(messageFiles(root).empty());
}

TEST_F(MaildirItems, AFlagChangeByAnotherProgramIsFollowed)
{
    putMessage(root, "cur", "u:2,", jan5, messageText("x"));
    auto mail = only(inbox);
    ASSERT_TRUE(mail);
    std::rename((root + "/cur/u:2,").c_str(), (root + "/cur/u:2,RS").c_str());
    EXPECT_EQ(mail->unRead(), false);
    ASSERT_TRUE(mail->setUnRead(true));
    EXPECT_EQ(messageFiles(root), (std::set<std::string>{"cur/u:2,R"}));
    std::rename((root + "/cur/u:2,R").c_str(), (root + "/cur/u:2,F").c_str());
    auto moved = mail->move(archive);
    ASSERT_TRUE(moved);
    EXPECT_EQ(messageFiles(root + "/.Archive"), (std::set<std::string>{"cur/u:2,F"}));
    // Gone for good: the one call fails.
    std::remove((root + "/.Archive/cur/u:2,F").c_str());
    EXPECT_FALSE(moved->unRead());
    EXPECT_FALSE(moved->setUnRead(false));
    EXPECT_EQ(moved->move(inbox), nullptr);
    EXPECT_FALSE(moved->subject());
}

// Reads and moves go straight to the name the listing saw; these are the
// cases where that name is stale and the file must be found again.
TEST_F(MaildirItems, ReadsAndMovesFollowARenameMadeAfterTheListing)
{
    putMessage(root, "new", "late", jan5, messageText("renamed before the first read"));
    putMessage(root, "cur", "here:2,", jan5, messageText("moved into its own folder"));
    auto items = inbox->items();
    auto first = items->getFirst()->asMailItem();
    auto second = items->getNext()->asMailItem();
    if (first->entryId() != "late")
        std::swap(first, second);
    std::rename((root + "/new/late").c_str(), (root + "/cur/late:2,S").c_str());
    std::rename((root + "/cur/here:2,").c_str(), (root + "/cur/here:2,F").c_str());

    EXPECT_EQ(first->subject(), "renamed before the first read");
    EXPECT_EQ(first->unRead(), false);
    // Already in the target under its new name: nothing is renamed.
    auto stayed = second->move(inbox);
    ASSERT_TRUE(stayed);
    EXPECT_EQ(stayed->entryId(), "here");
    EXPECT_EQ(messageFiles(root), (std::set<std::string>{"cur/here:2,F", "cur/late:2,S"}));
    // Renamed again after the read: the move still finds it.
    std::rename((root + "/cur/late:2,S").c_str(), (root + "/cur/late:2,RS").c_str());
    ASSERT_TRUE(first->move(archive));
    EXPECT_EQ(messageFiles(root + "/.Archive"), (std::set<std::string>{"cur/late:2,RS"}));
    EXPECT_EQ(messageFiles(root), (std::set<std::string>{"cur/here:2,F"}));
}

TEST_F(MaildirItems, MoveKeepsEntryIdFlagsAndReceivedTime)
{
    putMessage(root, "cur", "keep:2,FS", jan5, messageText("x"));
    putMessage(root, "new", "fresh", jan5, messageText("y"));
    auto items = inbox->items();
    auto first = items->getFirst()->asMailItem();
    auto second = items->getNext()->asMailItem();
    if (first->entryId() != "keep")
        std::swap(first, second);
    double received = *first->receivedTime();
    auto movedFirst = first->move(archive);
    auto movedSecond = second->move(archive);
    ASSERT_TRUE(movedFirst && movedSecond);
    EXPECT_EQ(messageFiles(root + "/.Archive"), (std::set<std::string>{"cur/fresh:2,", "cur/keep:2,FS"}));
    EXPECT_TRUE(messageFiles(root).empty());
    EXPECT_EQ(movedFirst->entryId(), "keep");
    EXPECT_EQ(movedFirst->receivedTime(), received);
    EXPECT_EQ(movedFirst->unRead(), false);
    std::tm local = localFromCalendarTime(jan5);
    EXPECT_DOUBLE_EQ(received, oleDateFromLocal(local));
    EXPECT_EQ(movedSecond->unRead(), true);
}

TEST_F(MaildirItems, MoveNeverReplacesAMessageOfTheSameName)
{
    putMessage(root, "cur", "twin:2,", jan5, messageText("inbox copy"));
    putMessage(root + "/.Archive", "cur", "twin:2,", jan5, messageText("archive copy"));
    auto mail = only(inbox);
    EXPECT_EQ(mail->move(archive), nullptr);
    EXPECT_EQ(readWholeFile(root + "/.Archive/cur/twin:2,"), messageText("archive copy"));
    EXPECT_EQ(readWholeFile(root + "/cur/twin:2,"), messageText("inbox copy"));
}

TEST_F(MaildirItems, ATargetFolderTakenAwayBetweenMovesIsMadeAgain)
{
    // The first move finds the folder there; the next ones must not trust
    // that once the folder (or only its cur/) is gone.
    putMessage(root, "cur", "one:2,", jan5, messageText("one"));
    putMessage(root, "cur", "two:2,", jan5 + 1, messageText("two"));
    putMessage(root, "cur", "three:2,", jan5 + 2, messageText("three"));
    auto items = inbox->items();
    auto one = items->getFirst()->asMailItem();
    auto three = items->getNext()->asMailItem();
    auto two = items->getNext()->asMailItem();
    ASSERT_TRUE(one && two && three);
    ASSERT_TRUE(one->move(archive));
    std::filesystem::remove_all(root + "/.Archive");
    ASSERT_TRUE(two->move(archive));
    std::filesystem::remove_all(root + "/.Archive/cur");
    ASSERT_TRUE(three->move(archive));
    EXPECT_EQ(messageFiles(root + "/.Archive"), (std::set<std::string>{"cur/three:2,"}));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/.Archive/tmp"));
    EXPECT_TRUE(messageFiles(root).empty());
}

TEST_F(MaildirItems, MoveIntoFoldersThatHoldNoMailFails)
{
    putMessage(root, "cur", "x:2,", jan5, messageText("x"));
    auto mail = only(inbox);
    EXPECT_EQ(mail->move(ns->getDefaultFolder(olFolderContacts)), nullptr);
    EXPECT_EQ(mail->move(ns->folders()->getFirst()), nullptr);
    EXPECT_EQ(mail->move(nullptr), nullptr);
    auto trash = mail->move(ns->getDefaultFolder(olFolderDeletedItems));
    ASSERT_TRUE(trash);
    EXPECT_EQ(messageFiles(root + "/.Trash"), (std::set<std::string>{"cur/x:2,"}));
}

TEST_F(MaildirItems, SafeMailItemReadsSenderRecipientsAndTransportHeaders)
{
    putMessage(root, "new", "s", jan5,
        "Received: from relay ([192.0.2.7]) by mx\r\nFrom: =?UTF-8?Q?J=C3=BCrgen?= <jurgen@example.de>\r\n"
        "To: Bob <bob@example.net>, carol@example.com\r\nSubject: =?UTF-8?B?R3LDvMOfZQ==?=\r\n\r\nBody\r\n");
    putMessage(root, "new", "t", jan5 + 1, "Subject: nobody sent this\r\n\r\nBody\r\n");
    auto items = inbox->items();
    auto safe = app->createSafeMailItem();
    EXPECT_FALSE(safe->sender()); // no item set
    safe->setItem(items->getFirst()->asMailItem());
    EXPECT_EQ(safe->item()->subject(), "Grüße");
    EXPECT_EQ(safe->senderName(), "Jürgen");
    auto sender = safe->sender();
    ASSERT_TRUE(sender && *sender);
    EXPECT_EQ((*sender)->address, "jurgen@example.de");
    auto recipients = safe->recipients();
    ASSERT_TRUE(recipients);
    ASSERT_EQ(recipients->count(), 2u);
    EXPECT_EQ(recipients->item(1)->name, "Bob");
    EXPECT_EQ(recipients->item(2)->address, "carol@example.com");
    EXPECT_EQ(recipients->item(3), nullptr);
    auto headers = safe->fields(PR_TRANSPORT_MESSAGE_HEADERS);
    ASSERT_TRUE(headers);
    EXPECT_NE(headers->find("Received: from relay ([192.0.2.7])"), std::string::npos);
    EXPECT_FALSE(safe->fields(0x0037001E));
    safe->setItem(items->getNext()->asMailItem());
    auto none = safe->sender();
    ASSERT_TRUE(none);
    EXPECT_EQ(*none, nullptr);
}

TEST_F(MaildirItems, ASentEMailsBlindCopiesAreAmongItsRecipients)
{
    const std::string sent = root + "/.Sent";
    makeMaildir(sent);
    putMessage(sent, "cur", "s1:2,S", jan5,
        "From: me@home.example\r\nTo: Tom <tom@x.example>\r\nCc: kim@x.example\r\n"
        "Bcc: Boss <boss@work.example>, ann@x.example\r\nSubject: plans\r\n\r\nBody\r\n");
    auto items = ns->getDefaultFolder(olFolderSentMail)->items();
    ASSERT_TRUE(items);
    auto mail = items->getFirst()->asMailItem();
    ASSERT_TRUE(mail);
    auto safe = app->createSafeMailItem();
    safe->setItem(mail);
    auto recipients = safe->recipients();
    ASSERT_TRUE(recipients);
    ASSERT_EQ(recipients->count(), 4u);
    std::vector<std::string> addresses;
    for (std::size_t i = 1; i <= recipients->count(); ++i)
        addresses.push_back(recipients->item(i)->address);
    EXPECT_EQ(
        addresses, (std::vector<std::string>{"tom@x.example", "kim@x.example", "boss@work.example", "ann@x.example"}));
    EXPECT_EQ(recipients->item(3)->name, "Boss");
    EXPECT_EQ(mail->to(), "tom@x.example");
    EXPECT_EQ(mail->cc(), "kim@x.example");
    EXPECT_EQ(mail->bcc(), "boss@work.example; ann@x.example");
    EXPECT_FALSE(mail->setBcc("x@y.example")) << "a stored e-mail is never rewritten";
}

TEST_F(MaildirItems, ANewItemsCcAndBccAreItsRecipientsAndOnlyCcIsWritten)
{
    auto mail = app->createItem(olMailItem)->asMailItem();
    ASSERT_TRUE(mail->setTo("me@example.org"));
    ASSERT_TRUE(mail->setCc("Kim <kim@example.org>; lee@example.org"));
    ASSERT_TRUE(mail->setBcc("boss@example.org"));
    EXPECT_EQ(mail->cc(), "Kim <kim@example.org>; lee@example.org");
    EXPECT_EQ(mail->bcc(), "boss@example.org");
    auto safe = app->createSafeMailItem();
    safe->setItem(mail);
    auto recipients = safe->recipients();
    ASSERT_TRUE(recipients);
    ASSERT_EQ(recipients->count(), 4u);
    EXPECT_EQ(recipients->item(2)->name, "Kim");
    EXPECT_EQ(recipients->item(3)->address, "lee@example.org");
    EXPECT_EQ(recipients->item(4)->address, "boss@example.org");

    auto text = mail->composeForSending("Me <me@example.org>", 45000.5);
    ASSERT_TRUE(text);
    const std::string head = text->substr(0, text->find("\r\n\r\n"));
    EXPECT_NE(head.find("Cc: Kim <kim@example.org>, lee@example.org"), std::string::npos) << head;
    EXPECT_EQ(head.find("boss@example.org"), std::string::npos) << "blind copies stay out of the text";
}

TEST_F(MaildirItems, ReportsAndMeetingRequestsAreNoMailItems)
{
    putMessage(root, "new", "r1", jan5, "From: MAILER-DAEMON@mx.example\nContent-Type: multipart/report; b=x\n\nx\n");
    putMessage(root, "new", "r2", jan5 + 1,
        "From: erik@x.example\nContent-Type: text/calendar; method=REQUEST\n\nBEGIN:VCALENDAR\n");
    putMessage(root, "new", "m3", jan5 + 2, messageText("plain"));
    auto items = inbox->items();
    auto first = items->find("[UnRead]=true");
    ASSERT_TRUE(first);
    std::vector<std::string> mail;
    int others = 0;
    for (auto item = *first; item; item = items->findNext()) {
        if (auto asMail = item->asMailItem())
            mail.push_back(asMail->entryId());
        else
            ++others;
        EXPECT_EQ(item->asContactItem(), nullptr);
    }
    EXPECT_EQ(mail, std::vector<std::string>{"m3"});
    EXPECT_EQ(others, 2) << "still items of the folder, found and counted";
    EXPECT_EQ(items->count(), 3u);
}

TEST_F(MaildirItems, BodiesAreCachedUntilCleanup)
{
    std::string path = putMessage(
        root, "new", "b", jan5, "From: a@b.example\r\nSubject: s\r\nContent-Type: text/plain\r\n\r\nfirst body\r\n");
    auto mail = only(inbox);
    auto html = mail->htmlBody();
    ASSERT_TRUE(html);
    EXPECT_NE(html->find("first body"), std::string::npos);
    writeWholeFile(path, "From: a@b.example\r\nSubject: s\r\nContent-Type: text/plain\r\n\r\nsecond body\r\n");
    EXPECT_NE(mail->body()->find("first body"), std::string::npos);
    app->createMapiUtils()->cleanup();
    EXPECT_NE(mail->body()->find("second body"), std::string::npos);
    EXPECT_EQ(mail->attachments()->count(), 0u);
    EXPECT_EQ(mail->attachments()->item(1), nullptr);
    EXPECT_FALSE(mail->setHtmlBody("<p>stored mail is never rewritten</p>"));
}

TEST_F(MaildirItems, TheBodyAskedForRightAfterTheHeaderNeedsNoSecondReadOfOneMessageOnly)
{
    const auto text = [](const std::string& body) {
        return "From: a@b.example\r\nSubject: s\r\nContent-Type: text/plain\r\n\r\n" + body + "\r\n";
    };
    const std::string first = putMessage(root, "new", "first", jan5, text("first body"));
    const std::string second = putMessage(root, "new", "second", jan5 + 60, text("second body"));
    auto items = inbox->items();
    auto found = items->find("[UnRead]=true");
    ASSERT_TRUE(found && *found);
    const MailItemPtr early = (*found)->asMailItem();
    const ItemPtr next = items->findNext();
    ASSERT_TRUE(next);
    const MailItemPtr late = next->asMailItem();
    ASSERT_TRUE(early && late);
    EXPECT_EQ(early->entryId(), "first");
    // The walk's opening read each header block, and the second read keeps
    // its body in place of the first one's: with both files gone, only the
    // second body is still there to read.
    std::filesystem::remove(first);
    std::filesystem::remove(second);
    EXPECT_EQ(early->htmlBody(), std::nullopt);
    const std::optional<std::string> html = late->htmlBody();
    ASSERT_TRUE(html);
    EXPECT_NE(html->find("second body"), std::string::npos);
    EXPECT_EQ(late->subject(), "s");
}

TEST_F(MaildirItems, TheTextOfAnHtmlOnlyMessageIsTheSameWhenAskedAfterItsHtml)
{
    const std::string html = "From: a@b.example\r\nSubject: s\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
                             "<html><body><p>Caf&eacute; <b>open</b></p><p>till&nbsp;late</p></body></html>\r\n";
    const std::string path = putMessage(root, "new", "h", jan5, html);
    const std::optional<MessageContent> whole = readMessageContent(path);
    ASSERT_TRUE(whole);
    ASSERT_FALSE(whole->textBody.empty());
    auto mail = only(inbox);
    EXPECT_EQ(mail->subject(), "s"); // the header read first, as a pass does
    EXPECT_EQ(mail->htmlBody(), whole->htmlBody);
    EXPECT_EQ(mail->body(), whole->textBody);
    EXPECT_EQ(mail->body(), whole->textBody);
    app->createMapiUtils()->cleanup();
    EXPECT_EQ(mail->body(), whole->textBody);
    EXPECT_EQ(mail->htmlBody(), whole->htmlBody);
}

TEST_F(MaildirItems, NewItemIsComposedAsAnRfc5322Message)
{
    auto item = app->createItem(olMailItem);
    ASSERT_TRUE(item);
    EXPECT_EQ(app->createItem(olContactItem), nullptr);
    auto mail = item->asMailItem();
    ASSERT_TRUE(mail->setTo("me@example.org"));
    ASSERT_TRUE(mail->setSubject("KVN calibration e-mail"));
    ASSERT_TRUE(mail->setHtmlBody("<html><body>Hi</body></html>"));
    EXPECT_EQ(mail->entryId(), "");
    EXPECT_EQ(mail->move(inbox), nullptr);
    auto text = mail->composeForSending("Me <me@example.org>", 45000.5);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("Subject: KVN calibration e-mail"), std::string::npos);
    EXPECT_NE(text->find("me@example.org"), std::string::npos);
    putMessage(root, "cur", "x:2,", jan5, messageText("stored"));
    EXPECT_FALSE(only(inbox)->composeForSending("Me <me@example.org>", 45000.5));
}

} // namespace
} // namespace kvn::outlook

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

// Inbox discovery's window, written by formatFilterDate: mail received at
// the stop time (to the minute) is inside it, a minute later is not.
TEST(MaildirFilterDates, TheDiscoveryWindowEndsWithTheStopMinute)
{
    TempFolder temp;
    std::string root = temp / "Maildir";
    makeMaildir(root);
    std::int64_t stop = localSeconds(2024, 3, 9, 18, 45, 0);
    putMessage(root, "new", "at-stop", stop + 20, messageText("at stop"));
    putMessage(root, "new", "minute-later", stop + 60, messageText("later"));
    putMessage(root, "new", "day-before", stop - 86400, messageText("day before"));
    putMessage(root, "new", "too-early", stop - 86400 - 60, messageText("too early"));
    double stopTime = oleDateFromLocal(localFromCalendarTime(stop));
    std::string filter = "[UnRead]=true and [ReceivedTime]>='" + formatFilterDate(stopTime - 1.0)
        + "' and [ReceivedTime]<='" + formatFilterDate(stopTime) + "'";
    auto app = openMaildirApplication({storeAt(root)}, "Default");
    auto items = app->getNamespace("MAPI")->getDefaultFolder(olFolderInbox)->items();
    auto first = items->find(filter);
    ASSERT_TRUE(first) << filter;
    std::vector<std::string> ids;
    for (auto item = *first; item; item = items->findNext())
        ids.push_back(item->asMailItem()->entryId());
    EXPECT_EQ(ids, (std::vector<std::string>{"day-before", "at-stop"}));
}

} // namespace
} // namespace kvn::outlook

namespace kvn::outlook {
namespace {

// "cur/name" and "new/name" of the folder's message files.
std::set<std::string> messageFiles(const std::string& folder)
{
    std::set<std::string> names;
    for (const char* sub : {"cur", "new"})
        for (const auto& entry : std::filesystem::directory_iterator(folder + "/" + sub))
            names.insert(std::string(sub) + "/" + entry.path().filename().string());
    return names;
}

TEST_F(MaildirItems, AFiledMessageIsWrittenWholeReadAndPrivateInCur)
{
    const FolderPtr sent = app->getNamespace("MAPI")->getDefaultFolder(olFolderSentMail);
    ASSERT_TRUE(sent);
    const std::string message = "From: Me <me@example.org>\nTo: bob@example.org\nSubject: filed\n\nbody\n";
    const MailItemPtr filed = sent->fileMessage(message, true);
    ASSERT_TRUE(filed);
    EXPECT_EQ(filed->subject(), "filed");
    EXPECT_EQ(filed->unRead(), false);
    const auto names = messageFiles(root + "/.Sent");
    ASSERT_EQ(names.size(), 1u);
    const std::string name = *names.begin();
    EXPECT_EQ(name, "cur/" + filed->entryId() + ":2,S");
    EXPECT_EQ(readWholeFile(root + "/.Sent/" + name), message);
    EXPECT_EQ(modeOf(root + "/.Sent/" + name), 0600);
    EXPECT_TRUE(std::filesystem::is_empty(root + "/.Sent/tmp"));

    const MailItemPtr unread = inbox->fileMessage(message, false);
    ASSERT_TRUE(unread);
    EXPECT_NE(unread->entryId(), filed->entryId());
    EXPECT_EQ(unread->unRead(), true);
    const FolderPtr contacts = app->getNamespace("MAPI")->getDefaultFolder(olFolderContacts);
    ASSERT_TRUE(contacts);
    EXPECT_EQ(contacts->fileMessage(message, true), nullptr);
}

TEST_F(MaildirItems, AMessageThatCannotBeWrittenWholeLeavesNothing)
{
    const FolderPtr sent = app->getNamespace("MAPI")->getDefaultFolder(olFolderSentMail);
    ASSERT_TRUE(sent);
    // A folder whose cur/ cannot be made durable: the copy is taken back.
    const auto previous = replaceFolderSync([](const std::string&) { return false; });
    EXPECT_EQ(sent->fileMessage("Subject: x\n\nx\n", true), nullptr);
    replaceFolderSync(previous);
    EXPECT_TRUE(messageFiles(root + "/.Sent").empty());
    EXPECT_TRUE(std::filesystem::is_empty(root + "/.Sent/tmp"));

    // A tmp/ the user may not write to.
    std::filesystem::permissions(
        root + "/.Sent/tmp", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    testing::handOver(temp.path());
    const testing::UnprivilegedRun run
        = testing::runUnprivileged([&] { return sent->fileMessage("Subject: x\n\nx\n", true) ? "filed" : "refused"; });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output, "refused");
    EXPECT_TRUE(messageFiles(root + "/.Sent").empty());
}

TEST_F(MaildirItems, ANewItemWithAPlainTextBodyIsSentAsPlainText)
{
    const MailItemPtr mail = app->createItem(olMailItem)->asMailItem();
    ASSERT_TRUE(mail->setHtmlBody("<p>first <b>html</b></p>"));
    EXPECT_EQ(mail->body(), "first html") << "the text of the HTML body";
    ASSERT_TRUE(mail->setTo("bob@example.org"));
    ASSERT_TRUE(mail->setBody("Grüße <b>\nzweite Zeile"));
    EXPECT_EQ(mail->body(), "Grüße <b>\nzweite Zeile");
    EXPECT_THAT(*mail->htmlBody(), ::testing::HasSubstr("&lt;b&gt;"));
    const auto text = mail->composeForSending("Me <me@example.org>", 45000.5);
    ASSERT_TRUE(text);
    EXPECT_THAT(*text, ::testing::HasSubstr("Content-Type: text/plain; charset=utf-8"));
    EXPECT_THAT(*text, ::testing::HasSubstr("Gr=C3=BC=C3=9Fe <b>"));
    EXPECT_THAT(*text, ::testing::Not(::testing::HasSubstr("multipart")));
    EXPECT_THAT(*text, ::testing::Not(::testing::HasSubstr("text/html")));
    EXPECT_FALSE(mail->display()) << "nothing shows a new item without a window";
}

} // namespace
} // namespace kvn::outlook
