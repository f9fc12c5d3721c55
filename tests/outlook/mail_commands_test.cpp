// kvnctl profile and mail on a real Maildir and a real registry folder: what
// a person checking their rules sees, and the moves and marks it makes.
#include "tools/kvnctl/command.h"

#include "tests/outlook/hostile_mail.h"
#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
    EXPECT_EQ(kvnctl("P2", {"mail", "list", "Nowhere"}).status, exitFileError);
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
    EXPECT_EQ(kvnctl("P3", {"mail", "move", "nope", "Archive"}).status, exitFileError);
    auto folders = kvnctl("P3", {"mail", "folders", "--json"});
    ASSERT_EQ(folders.status, exitSuccess);
    EXPECT_NE(folders.out.find("\"Folder\": \"Mailbox/Archive\""), std::string::npos) << folders.out;
}

} // namespace
} // namespace kvn::kvnctl
