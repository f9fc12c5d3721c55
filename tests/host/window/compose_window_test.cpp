// The new e-mail window over a real Maildir and a real registry folder,
// sending through a stand-in sendmail (a shell script that keeps its input
// and arguments), with ItemSend raised by the host's application to a sink
// that trusts the recipients as the add-in does.
#include "host/window/compose_window.h"

#include "addin/recipient_trust.h"
#include "platform/outlook/command_bar_store.h"
#include "platform/outlook/maildir_store.h"
#include "platform/outlook/profile_sending.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace kvn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class ComposeWindowTest : public ::testing::Test {
protected:
    ComposeWindowTest()
    {
        for (const char* folder : {"mail/cur", "mail/new", "mail/tmp"})
            std::filesystem::create_directories(temp / folder);
        outlook::StoreConfig store;
        store.root = root;
        model = outlook::openMaildirApplication({store}, "Test", *registry);
        mapi = model->getNamespace("MAPI");
        explorer = std::make_shared<host::HostExplorer>(model->activeExplorer(),
            outlook::openCommandBarStore(*registry, "Test"), mapi->getDefaultFolder(outlook::olFolderInbox));
        application = com::makeObject<host::HostApplication>(model, explorer);
        sent = std::make_unique<host::SentItems>(mapi->getDefaultFolder(outlook::olFolderSentMail));
        const auto sink = com::makeEventSink(
            outlook::applicationEventsIid, [this](com::DISPID member, std::span<const com::Variant> arguments) {
                if (member == outlook::dispidItemSend)
                    onItemSend(arguments);
                return com::S_OK;
            });
        EXPECT_EQ(subscription.subscribe(static_cast<com::IConnectionPointContainer*>(application.get()),
                      outlook::applicationEventsIid, sink.get()),
            com::S_OK);
    }

    // What the add-in does on ItemSend, unless the test cancels.
    void onItemSend(std::span<const com::Variant> arguments)
    {
        ++itemSends;
        if (cancelSending) {
            *std::get<bool*>(arguments[1]) = true;
            return;
        }
        const auto safe = application->objectModel()->createSafeMailItem();
        safe->setItem(outlook::itemOf(com::unknownArgument(arguments, 0))->asMailItem());
        (void)trustRecipients(lists, listsLock, recipientsOf(*safe), systemClock());
    }

    // A sendmail that keeps its arguments and input, says `says` on its
    // error output and exits with the status.
    std::string standIn(int status, const std::string& says = {})
    {
        const std::string script = temp / "send mail";
        writeWholeFile(script,
            "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + (temp / "args") + "'\ncat > '" + (temp / "stdin") + "'\n"
                + (says.empty() ? "" : "echo '" + says + "' >&2\n") + "exit " + std::to_string(status) + "\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        return "'" + script + "' -t -oi";
    }

    // Sending with the command and sender kept in the profile, as the host reads them.
    host::MailSending sendingWith(const std::string& command)
    {
        EXPECT_TRUE(outlook::setSendmailCommand(*registry, "Test", command));
        EXPECT_TRUE(outlook::setSenderAddress(*registry, "Test", "Me <me@example.org>"));
        return host::MailSending(*application.get(), host::sendingSettings(*registry, "Test"), sent.get());
    }

    outlook::MailItemPtr newItem() { return application->objectModel()->createItem(outlook::olMailItem)->asMailItem(); }

    static void fill(host::ComposeWindow& window, const char* to, const char* subject, const char* body)
    {
        window.toField().setText(QString::fromUtf8(to));
        window.subjectField().setText(QString::fromUtf8(subject));
        window.bodyField().setPlainText(QString::fromUtf8(body));
        window.bodyField().document()->setModified(true);
    }

    std::vector<std::string> sentFiles() const
    {
        std::vector<std::string> names;
        for (const char* sub : {"/.Sent/cur", "/.Sent/new"})
            if (std::filesystem::is_directory(root + sub))
                for (const auto& entry : std::filesystem::directory_iterator(root + sub))
                    names.push_back(entry.path().string());
        return names;
    }

    std::vector<std::string> whiteAddresses() const
    {
        std::vector<std::string> found;
        for (const ListEntry& entry : lists.sequence(ListKind::Address, true))
            found.push_back(entry.value + " <" + entry.extra + ">");
        return found;
    }

    TempFolder temp;
    std::string root = temp / "mail";
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    outlook::ApplicationPtr model;
    outlook::NamespacePtr mapi;
    std::shared_ptr<host::HostExplorer> explorer;
    com::ComPtr<host::HostApplication> application;
    std::unique_ptr<host::SentItems> sent;
    com::EventSubscription subscription;
    FilterLists lists;
    std::mutex listsLock;
    int itemSends = 0;
    bool cancelSending = false;
    ScriptedUi ui;
};

TEST_F(ComposeWindowTest, SendmailReceivesTheComposedMessageWhichIsFiledInSentOnceAndTrustsTheRecipients)
{
    host::MailSending sending = sendingWith(standIn(0));
    host::ComposeWindow window(newItem(), sending, ui);
    window.show();
    fill(window, "Bob Builder <bob@example.org>; ann@example.org", "Grüße aus Köln", "Hallo Bob,\nschöne Grüße.\n");
    window.sendButton().click();

    EXPECT_FALSE(window.isVisible()) << "a sent e-mail closes its window";
    EXPECT_EQ(readWholeFile(temp / "args"), "-t\n-oi\n");
    const std::string message = readWholeFile(temp / "stdin");
    const std::string head = message.substr(0, message.find("\n\n"));
    for (const char* field : {"From: Me <me@example.org>\n", "To: Bob Builder <bob@example.org>, ann@example.org\n",
             "Subject: =?UTF-8?B?", "Date: ", "Message-Id: <", "MIME-Version: 1.0\n",
             "Content-Type: text/plain; charset=utf-8\n", "Content-Transfer-Encoding: quoted-printable"})
        EXPECT_THAT(head, HasSubstr(field)) << head;
    EXPECT_THAT(head, Not(HasSubstr("Köln"))) << "a non-ASCII subject is encoded";
    EXPECT_THAT(message.substr(head.size()), HasSubstr("Hallo Bob,\nsch=C3=B6ne Gr=C3=BC=C3=9Fe.\n"));
    EXPECT_EQ(message.find('\r'), std::string::npos) << "a local program reads LF line ends";

    const std::vector<std::string> filed = sentFiles();
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_THAT(filed[0], ::testing::EndsWith(":2,S")) << "filed as read";
    EXPECT_EQ(readWholeFile(filed[0]), message);
    const auto items = mapi->getDefaultFolder(outlook::olFolderSentMail)->items();
    EXPECT_EQ(items->getFirst()->asMailItem()->subject(), "Grüße aus Köln");

    EXPECT_EQ(itemSends, 1);
    // The Sent folder's watcher sees no new message: ItemSend is not raised again.
    EXPECT_TRUE(sent->appeared().empty());
    EXPECT_THAT(whiteAddresses(), ::testing::ElementsAre(" <ann@example.org>", "Bob Builder <bob@example.org>"));
    EXPECT_TRUE(ui.shown().empty());
}

TEST_F(ComposeWindowTest, ACancelledItemSendSendsNothingAndKeepsTheWindow)
{
    cancelSending = true;
    host::MailSending sending = sendingWith(standIn(0));
    host::ComposeWindow window(newItem(), sending, ui);
    window.show();
    fill(window, "bob@example.org", "Not now", "draft");
    EXPECT_FALSE(window.send());
    EXPECT_EQ(itemSends, 1);
    EXPECT_FALSE(std::filesystem::exists(temp / "stdin")) << "sendmail never ran";
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(sentFiles().empty());
    EXPECT_TRUE(lists.sequence(ListKind::Address, true).empty());
}

TEST_F(ComposeWindowTest, AFailingOrMissingSendmailIsShownAndTheDraftStays)
{
    host::MailSending failing = sendingWith(standIn(1, "relay refused"));
    host::ComposeWindow window(newItem(), failing, ui);
    window.show();
    fill(window, "bob@example.org", "Try", "the draft");
    ui.expect("KVN Host", MessageAnswer::Ok);
    EXPECT_FALSE(window.send());
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_THAT(ui.shown()[0].text, HasSubstr("exit status 1"));
    EXPECT_THAT(ui.shown()[0].text, HasSubstr("relay refused"));
    EXPECT_EQ(ui.shown()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.toField().text(), "bob@example.org");
    EXPECT_EQ(window.bodyField().toPlainText(), "the draft");
    EXPECT_TRUE(sentFiles().empty());

    host::MailSending missing = sendingWith("kvn-no-such-sendmail -t");
    host::ComposeWindow again(newItem(), missing, ui);
    again.show();
    fill(again, "bob@example.org", "Try", "the draft");
    ui.expect("KVN Host", MessageAnswer::Ok);
    EXPECT_FALSE(again.send());
    ASSERT_EQ(ui.shown().size(), 2u);
    EXPECT_THAT(ui.shown()[1].text, HasSubstr("cannot be started"));
    EXPECT_TRUE(again.isVisible());
    EXPECT_TRUE(sentFiles().empty());
}

TEST_F(ComposeWindowTest, AnEmptyToSendsNothingAndRaisesNoItemSend)
{
    host::MailSending sending = sendingWith(standIn(0));
    host::ComposeWindow window(newItem(), sending, ui);
    fill(window, "  ", "No one", "text");
    ui.expect("KVN Host", MessageAnswer::Ok);
    EXPECT_FALSE(window.send());
    EXPECT_EQ(itemSends, 0);
    EXPECT_FALSE(std::filesystem::exists(temp / "stdin"));
}

TEST_F(ComposeWindowTest, DisplayOfANewItemOpensOneWindowPrefilledThatSendsTheHtmlUnlessEdited)
{
    host::MailSending sending = sendingWith(standIn(0));
    const outlook::MailItemPtr headless = newItem();
    EXPECT_FALSE(headless->display()) << "without the window nothing can be shown";

    host::installComposeWindows(*application.get(), sending, ui);
    const outlook::MailItemPtr item = newItem();
    ASSERT_TRUE(item->setTo("me@example.org"));
    ASSERT_TRUE(item->setSubject("KVN calibration e-mail"));
    ASSERT_TRUE(item->setHtmlBody("<p>Hello <b>me</b></p>"));
    ASSERT_TRUE(item->display());
    ASSERT_TRUE(item->display()) << "shown again: the same window comes to the front";
    std::vector<QPointer<host::ComposeWindow>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* compose = dynamic_cast<host::ComposeWindow*>(widget); compose && compose->item() == item)
            windows.emplace_back(compose);
    ASSERT_EQ(windows.size(), 1u);
    host::ComposeWindow& window = *windows[0];
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.toField().text(), "me@example.org");
    EXPECT_EQ(window.subjectField().text(), "KVN calibration e-mail");
    EXPECT_EQ(window.bodyField().toPlainText(), "Hello me");

    window.sendButton().click();
    const std::string message = readWholeFile(temp / "stdin");
    EXPECT_THAT(message, HasSubstr("Content-Type: text/html; charset=utf-8"));
    EXPECT_THAT(message, HasSubstr("<p>Hello <b>me</b></p>"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(windows[0].isNull()) << "the window closed and went";

    application->setDisplayHandler({});
    EXPECT_FALSE(newItem()->display());
}

} // namespace
} // namespace kvn::testing
