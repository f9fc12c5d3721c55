// Bad mail is a normal day: every message of the broken/ corpus, a huge
// header block and a file that vanishes answer every call without a crash.
#include "platform/outlook/maildir_store.h"

#include "analysis/sender_ip.h"
#include "tests/outlook/hostile_mail.h"
#include "tests/outlook/maildir_fixture.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

class BrokenMail : public ::testing::Test {
protected:
    BrokenMail()
    {
        root = temp / "Maildir";
        makeMaildir(root);
        app = openMaildirApplication({storeAt(root)}, "Default");
        inbox = app->getNamespace("MAPI")->getDefaultFolder(olFolderInbox);
    }
    // Every read the filter makes of an e-mail.
    void readEverything(const MailItemPtr& mail, const std::string& what)
    {
        SCOPED_TRACE(what);
        EXPECT_FALSE(mail->entryId().empty());
        EXPECT_TRUE(mail->subject());
        EXPECT_TRUE(mail->receivedTime());
        EXPECT_EQ(mail->unRead(), true);
        EXPECT_TRUE(mail->htmlBody());
        EXPECT_TRUE(mail->body());
        auto attachments = mail->attachments();
        ASSERT_TRUE(attachments);
        for (std::size_t i = 1; i <= attachments->count(); ++i)
            EXPECT_TRUE(attachments->item(i));
        auto safe = app->createSafeMailItem();
        safe->setItem(mail);
        EXPECT_TRUE(safe->senderName());
        EXPECT_TRUE(safe->sender());
        EXPECT_TRUE(safe->recipients());
        EXPECT_TRUE(safe->fields(PR_TRANSPORT_MESSAGE_HEADERS));
    }
    TempFolder temp;
    std::string root;
    ApplicationPtr app;
    FolderPtr inbox;
};

TEST_F(BrokenMail, EveryCaseOfTheCorpusAnswersEveryCall)
{
    std::string corpus = std::string(KVN_TEST_DATA_DIR) + "/broken";
    std::size_t cases = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::filesystem::copy_file(entry.path(), root + "/new/" + entry.path().stem().string());
        ++cases;
    }
    ASSERT_GT(cases, 0u);
    auto items = inbox->items();
    auto found = items->find("[UnRead]=true");
    ASSERT_TRUE(found);
    std::size_t read = 0;
    for (auto item = *found; item; item = items->findNext(), ++read) {
        auto mail = item->asMailItem();
        ASSERT_TRUE(mail);
        readEverything(mail, mail->entryId());
    }
    EXPECT_EQ(read, cases);
}

TEST_F(BrokenMail, AHugeHeaderBlockStillGivesTheSubject)
{
    std::string text = "Subject: found\r\nFrom: a@example.org\r\n";
    while (text.size() < (1u << 20))
        text += "X-Filler: " + std::string(990, 'f') + "\r\n";
    text += "\r\nbody\r\n";
    putMessage(root, "new", "huge", 1700000000, text);
    auto mail = inbox->items()->getFirst()->asMailItem();
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->subject(), "found");
    readEverything(mail, "huge");
}

TEST_F(BrokenMail, HugeHeaderFieldsHideNeitherSenderNorRecipientsNorSenderIp)
{
    putMessage(root, "new", "1.junk", 1700000000, junkFirstHeaderMessage());
    putMessage(root, "new", "2.subject", 1700000001, hugeSubjectMessage());
    putMessage(root, "new", "3.crowd", 1700000002, manyRecipientsMessage(100000));
    auto items = inbox->items();
    std::size_t seen = 0;
    for (auto item = items->getFirst(); item; item = items->getNext(), ++seen) {
        auto mail = item->asMailItem();
        ASSERT_TRUE(mail);
        SCOPED_TRACE(mail->entryId());
        auto safe = app->createSafeMailItem();
        safe->setItem(mail);
        auto sender = safe->sender();
        ASSERT_TRUE(sender && *sender);
        EXPECT_EQ((*sender)->address, "offer@blacklisted.example");
        auto recipients = safe->recipients();
        ASSERT_TRUE(recipients);
        ASSERT_GE(recipients->count(), 1u);
        EXPECT_EQ(recipients->item(recipients->count())->address, "anna@home.example");
        EXPECT_EQ(extractSenderIp(safe->fields(PR_TRANSPORT_MESSAGE_HEADERS).value_or("")), "203.0.113.66");
        if (mail->entryId() == "3.crowd") {
            EXPECT_EQ(recipients->count(), 100001u);
        }
        const std::string subject = mail->subject().value_or("");
        EXPECT_TRUE(subject == "walked past the lists" || subject.starts_with("enormously enormously")) << subject;
    }
    EXPECT_EQ(seen, 3u);
}

TEST_F(BrokenMail, AVanishedFileFailsTheCallsThatNeedIt)
{
    putMessage(root, "new", "gone", 1700000000, messageText("soon gone"));
    auto mail = inbox->items()->getFirst()->asMailItem();
    ASSERT_TRUE(mail);
    std::remove((root + "/new/gone").c_str());
    // Asking for the mail item read the header block; the clean-up lets it go.
    app->createMapiUtils()->cleanup();
    EXPECT_EQ(mail->entryId(), "gone");
    EXPECT_FALSE(mail->subject());
    EXPECT_FALSE(mail->htmlBody());
    EXPECT_FALSE(mail->attachments());
    EXPECT_FALSE(mail->receivedTime());
    EXPECT_FALSE(mail->unRead());
    auto safe = app->createSafeMailItem();
    safe->setItem(mail);
    EXPECT_FALSE(safe->sender());
    EXPECT_EQ(safe->recipients(), nullptr);
    EXPECT_FALSE(safe->fields(PR_TRANSPORT_MESSAGE_HEADERS));
}

// A report its user cannot read cannot be told from an e-mail: it stays a
// mail item whose reads fail, so a pass gives up on it and tries again later.
TEST_F(BrokenMail, AnUnreadableReportIsAMailItemWhoseReadsFail)
{
    const std::string path = putMessage(
        root, "new", "r1", 1700000000, "From: MAILER-DAEMON@mx.example\nContent-Type: multipart/report; b=x\n\nx\n");
    handOver(temp.path());
    std::filesystem::permissions(path, std::filesystem::perms::none);
    auto run = runUnprivileged([&] {
        auto items = openMaildirApplication({storeAt(root)}, "")
                         ->getNamespace("MAPI")
                         ->getDefaultFolder(olFolderInbox)
                         ->items();
        auto item = items ? items->getFirst() : nullptr;
        auto mail = item ? item->asMailItem() : nullptr;
        return std::string(mail ? "mail item" : "no mail item") + (mail && !mail->subject() ? ", no subject" : "");
    });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output, "mail item, no subject");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_EQ(inbox->items()->getFirst()->asMailItem(), nullptr) << "readable, it is a report";
}

} // namespace
} // namespace kvn::outlook
