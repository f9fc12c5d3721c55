// kvnctl profile and mail on a real Maildir and a real registry folder: what
// a person checking their rules sees, and the moves and marks it makes.
#include "tools/kvnctl/command.h"

#include "tests/outlook/hostile_mail.h"
#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace kvn::kvnctl {
namespace {

using namespace kvn::testing;

// The registry is opened once per process: every test of this file shares
// one registry folder and uses a profile of its own.
TempFolder& registryFolder()
{
    static TempFolder folder;
    return folder;
}

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result kvnctl(const std::string& profile, std::vector<std::string> words)
{
    setenv("KORVANE_REGISTRY", registryFolder().path().c_str(), 1);
    std::string name = words.front();
    words.erase(words.begin());
    std::ostringstream out;
    std::ostringstream err;
    GlobalOptions options;
    options.profile = profile;
    CommandContext context(options, Arguments(std::move(words)), out, err);
    for (const auto& group : commandGroups()) {
        if (name != group.name)
            continue;
        try {
            int status = group.run(context);
            return {status, out.str(), err.str()};
        } catch (const UsageError& error) {
            return {exitUsageError, out.str(), error.what()};
        }
    }
    return {-1, {}, "no such command group"};
}

class MailCommands : public ::testing::Test {
protected:
    MailCommands()
    {
        root = temp / "Maildir";
        makeMaildir(root);
        makeMaildir(root + "/.Archive");
        putMessage(root, "new", "1.M1.host", 1700000000,
            "Received: from mx.example (mx.example [198.51.100.23]) by here\r\n"
            "From: =?ISO-8859-1?Q?J=F6rg_M=FCller?= <joerg@example.de>\r\nTo: Ann <ann@example.org>\r\n"
            "Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?=\r\nMIME-Version: 1.0\r\n"
            "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nHi\r\n"
            "--b\r\nContent-Type: application/pdf\r\nContent-Disposition: attachment; "
            "filename*=UTF-8''R%C3%A9sum%C3%A9.pdf\r\n\r\nJVBERi0=\r\n--b--\r\n");
        putMessage(root, "cur", "2.M2.host:2,S", 1700000100, messageText("read already"));
    }
    TempFolder temp;
    std::string root;
};

TEST_F(MailCommands, ProfileAddStoreThenShow)
{
    EXPECT_EQ(kvnctl("P1", {"profile", "add-store", "Mailbox", root}).status, exitSuccess);
    EXPECT_EQ(kvnctl("P1", {"profile", "add-store", "Bad", temp / "nothing"}).status, exitUsageError);
    EXPECT_EQ(kvnctl("P1", {"profile", "add-store", "Bad", root, "--contacts", temp / "none"}).status, exitUsageError);
    auto shown = kvnctl("P1", {"profile", "show", "--json"});
    ASSERT_EQ(shown.status, exitSuccess);
    EXPECT_NE(shown.out.find("\"DisplayName\": \"Mailbox\""), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("\"Path\": \"" + root + "\""), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find("Bad"), std::string::npos);
}

TEST_F(MailCommands, ProfileSendmailAndSenderAreKeptPerProfile)
{
    auto shown = kvnctl("P5", {"profile", "show", "--json"});
    EXPECT_NE(shown.out.find("\"Sendmail\": \"sendmail -t -oi\""), std::string::npos) << shown.out;
    EXPECT_EQ(kvnctl("P5", {"profile", "set-sendmail", "/opt/mta/bin/sendmail -t -oi -f 'me@example.org'"}).status,
        exitSuccess);
    EXPECT_EQ(kvnctl("P5", {"profile", "set-from", "Me <me@example.org>"}).status, exitSuccess);
    EXPECT_EQ(kvnctl("P5", {"profile", "set-sendmail", "sendmail -f 'unclosed"}).status, exitUsageError);
    EXPECT_EQ(kvnctl("P5", {"profile", "set-from", "nobody"}).status, exitUsageError);
    shown = kvnctl("P5", {"profile", "show", "--json"});
    EXPECT_NE(shown.out.find("\"Sendmail\": \"/opt/mta/bin/sendmail -t -oi -f 'me@example.org'\""), std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("\"From\": \"Me <me@example.org>\""), std::string::npos) << shown.out;
    EXPECT_NE(
        kvnctl("P6", {"profile", "show", "--json"}).out.find("\"Sendmail\": \"sendmail -t -oi\""), std::string::npos)
        << "another profile keeps the default";
    EXPECT_EQ(kvnctl("P5", {"profile", "set-sendmail", ""}).status, exitSuccess);
    EXPECT_NE(
        kvnctl("P5", {"profile", "show", "--json"}).out.find("\"Sendmail\": \"sendmail -t -oi\""), std::string::npos)
        << "an empty command puts the default back";
}

TEST_F(MailCommands, ListShowsDecodedNamesAttachmentsAndTheSenderIp)
{
    ASSERT_EQ(kvnctl("P2", {"profile", "add-store", "Mailbox", root}).status, exitSuccess);
    auto listed = kvnctl("P2", {"mail", "list", "Inbox", "--filter", "[UnRead]=true", "--json"});
    ASSERT_EQ(listed.status, exitSuccess) << listed.err;
    for (const char* expected : {"\"EntryID\": \"1.M1.host\"", "\"Subject\": \"Grüße\"",
             "\"SenderName\": \"Jörg Müller\"", "\"SenderAddress\": \"joerg@example.de\"", "\"Résumé.pdf\"",
             "\"SenderIp\": \"198.51.100.23\"", "\"UnRead\": true", "\"Address\": \"ann@example.org\""})
        EXPECT_NE(listed.out.find(expected), std::string::npos) << expected << " in " << listed.out;
    EXPECT_EQ(listed.out.find("read already"), std::string::npos);
    auto all = kvnctl("P2", {"mail", "list", "Mailbox/Inbox"});
    ASSERT_EQ(all.status, exitSuccess);
    EXPECT_NE(all.out.find("read already"), std::string::npos);
    EXPECT_EQ(kvnctl("P2", {"mail", "list", "Inbox", "--filter", "[Size]>1"}).status, exitUsageError);
    EXPECT_EQ(kvnctl("P2", {"mail", "list", "Nowhere"}).status, exitNothingToChange);
}

TEST_F(MailCommands, ListShowsTheSenderBehindAHugeFirstHeader)
{
    putMessage(root, "new", "3.M3.host", 1700000200, junkFirstHeaderMessage());
    ASSERT_EQ(kvnctl("P4", {"profile", "add-store", "Mailbox", root}).status, exitSuccess);
    auto listed = kvnctl("P4", {"mail", "list", "Inbox", "--json"});
    ASSERT_EQ(listed.status, exitSuccess) << listed.err;
    const std::size_t at = listed.out.find("\"EntryID\": \"3.M3.host\"");
    ASSERT_NE(at, std::string::npos) << listed.out;
    const std::string entry = listed.out.substr(at, listed.out.find("\"SenderIp\"", at) + 40 - at);
    for (const char* expected :
        {"\"Subject\": \"walked past the lists\"", "\"SenderAddress\": \"offer@blacklisted.example\"",
            "\"Address\": \"anna@home.example\"", "\"SenderIp\": \"203.0.113.66\""})
        EXPECT_NE(entry.find(expected), std::string::npos) << expected << " in " << entry;
}

TEST_F(MailCommands, MarkReadAndMoveByEntryId)
{
    ASSERT_EQ(kvnctl("P3", {"profile", "add-store", "Mailbox", root}).status, exitSuccess);
    EXPECT_EQ(kvnctl("P3", {"mail", "mark-read", "1.M1.host"}).status, exitSuccess);
    EXPECT_EQ(messageFiles(root), (std::set<std::string>{"cur/1.M1.host:2,S", "cur/2.M2.host:2,S"}));
    EXPECT_EQ(kvnctl("P3", {"mail", "move", "1.M1.host", "Archive"}).status, exitSuccess);
    EXPECT_EQ(messageFiles(root + "/.Archive"), (std::set<std::string>{"cur/1.M1.host:2,S"}));
    EXPECT_EQ(kvnctl("P3", {"mail", "move", "2.M2.host", "Trash"}).status, exitSuccess);
    EXPECT_EQ(messageFiles(root + "/.Trash"), (std::set<std::string>{"cur/2.M2.host:2,S"}));
    EXPECT_EQ(kvnctl("P3", {"mail", "move", "nope", "Archive"}).status, exitNothingToChange);
    EXPECT_EQ(kvnctl("P3", {"mail", "mark-read", "nope"}).status, exitNothingToChange);
    EXPECT_EQ(kvnctl("P3", {"mail", "move", "2.M2.host", "Nowhere"}).status, exitNothingToChange);
    auto folders = kvnctl("P3", {"mail", "folders", "--json"});
    ASSERT_EQ(folders.status, exitSuccess);
    EXPECT_NE(folders.out.find("\"Folder\": \"Mailbox/Archive\""), std::string::npos) << folders.out;
}

TEST_F(MailCommands, ASecondStoreOfTheSameNameOrPathIsRefused)
{
    makeMaildir(temp / "Other");
    ASSERT_EQ(kvnctl("P8", {"profile", "add-store", "Mailbox", root}).status, exitSuccess);
    const Result sameName = kvnctl("P8", {"profile", "add-store", "Mailbox", temp / "Other"});
    EXPECT_EQ(sameName.status, exitNothingToChange);
    EXPECT_NE(sameName.err.find("already has the store \"Mailbox\""), std::string::npos) << sameName.err;
    EXPECT_EQ(kvnctl("P8", {"profile", "add-store", "Again", root + "/"}).status, exitNothingToChange);
    EXPECT_EQ(kvnctl("P8", {"profile", "add-store", "Other", temp / "Other"}).status, exitSuccess);
    const Result shown = kvnctl("P8", {"profile", "show", "--json"});
    EXPECT_EQ(shown.out.find("Again"), std::string::npos) << shown.out;
}

TEST_F(MailCommands, NamesWithSlashesAreAddressedEscaped)
{
    makeMaildir(root + "/.a\\2fb");
    putMessage(root + "/.a\\2fb", "cur", "3.M3.host:2,S", 1700000200, messageText("in a slash folder"));
    ASSERT_EQ(kvnctl("P5", {"profile", "add-store", "Has/Slash", root}).status, exitSuccess);
    const Result folders = kvnctl("P5", {"mail", "folders"});
    EXPECT_NE(folders.out.find("Has\\/Slash/a\\/b "), std::string::npos) << folders.out;
    for (const char* path : {"Has\\/Slash/a\\/b", "a\\/b"}) {
        const Result listed = kvnctl("P5", {"mail", "list", path});
        EXPECT_EQ(listed.status, exitSuccess) << path << ": " << listed.err;
        EXPECT_NE(listed.out.find("in a slash folder"), std::string::npos) << path << ": " << listed.out;
    }
    EXPECT_EQ(kvnctl("P5", {"mail", "list", "Has/Slash/a/b"}).status, exitNothingToChange);
}

TEST_F(MailCommands, ContactsAreListedAndAFilterNamesItsForms)
{
    const std::string cards = temp / "cards";
    std::filesystem::create_directories(cards);
    writeWholeFile(
        cards + "/ann.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nEMAIL:ann@example.org\r\nEND:VCARD\r\n");
    ASSERT_EQ(kvnctl("P6", {"profile", "add-store", "Mailbox", root, "--contacts", cards}).status, exitSuccess);
    const Result contacts = kvnctl("P6", {"mail", "list", "Contacts"});
    EXPECT_EQ(contacts.status, exitSuccess) << contacts.err;
    EXPECT_NE(contacts.out.find("Ann Smith"), std::string::npos) << contacts.out;
    EXPECT_NE(contacts.out.find("ann@example.org"), std::string::npos) << contacts.out;
    EXPECT_NE(contacts.out.find("1 contact\n"), std::string::npos) << contacts.out;

    const Result badFilter = kvnctl("P6", {"mail", "list", "Inbox", "--filter", "[Size]>1"});
    EXPECT_EQ(badFilter.status, exitUsageError);
    EXPECT_NE(badFilter.err.find("[UnRead]=true, [UnRead]=false and [ReceivedTime]"), std::string::npos)
        << badFilter.err;
}

TEST_F(MailCommands, AFolderThatCannotBeListedIsReportedNotShownEmpty)
{
    ASSERT_EQ(kvnctl("P7", {"profile", "add-store", "Mailbox", root}).status, exitSuccess);
    std::filesystem::remove_all(root + "/.Archive/new");
    writeWholeFile(root + "/.Archive/new", "not a folder");
    auto folders = kvnctl("P7", {"mail", "folders", "--json"});
    EXPECT_EQ(folders.status, exitFileError);
    EXPECT_NE(folders.err.find("cannot read the folder Mailbox/Archive"), std::string::npos) << folders.err;
    EXPECT_NE(folders.out.find("\"Messages\": 2"), std::string::npos) << "the Inbox is still shown: " << folders.out;
    for (std::vector<std::string> list : {std::vector<std::string>{"mail", "list", "Archive"},
             std::vector<std::string>{"mail", "list", "Archive", "--filter", "[UnRead]=true"}}) {
        auto listed = kvnctl("P7", list);
        EXPECT_EQ(listed.status, exitFileError);
        EXPECT_NE(listed.err.find("cannot read the folder Archive"), std::string::npos) << listed.err;
    }
}

} // namespace
} // namespace kvn::kvnctl
