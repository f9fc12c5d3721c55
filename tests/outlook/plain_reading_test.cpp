// The plain readers of headers and bodies against GMime: every message of the
// checked-in corpora, a generated set of ordinary mail in the shapes a mailbox
// holds, and hostile variants (truncated at every byte, 8-bit text, encoded
// words, folds, odd charsets and encodings) must read the same with the fast
// path as with GMime alone. Where the plain readers cannot be sure they must
// give up, so these comparisons hold for every input.
#include "platform/outlook/message_parse.h"
#include "platform/outlook/plain_body.h"
#include "platform/outlook/plain_header_values.h"
#include "tests/outlook/gmime_file_oracle.h"
#include "tests/outlook/mail_test_data.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kvn::outlook {
namespace {

using detail::ParsePath;

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> corpusMessages()
{
    std::vector<std::string> messages;
    for (const std::string& folder : {std::string(KVN_TEST_DATA_DIR), std::string(KVN_FUZZ_CORPUS_DIR) + "/header_scan",
             std::string(KVN_FUZZ_CORPUS_DIR) + "/message_parse"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file() && entry.path().extension() != ".lst")
                messages.push_back(fileText(entry.path().string()));
        }
    }
    return messages;
}

void expectSameAddresses(const std::vector<MailAddress>& fast, const std::vector<MailAddress>& slow)
{
    ASSERT_EQ(fast.size(), slow.size());
    for (std::size_t i = 0; i < fast.size(); ++i) {
        EXPECT_EQ(fast[i].name, slow[i].name);
        EXPECT_EQ(fast[i].address, slow[i].address);
    }
}

// Both readings of one message agree on every answer.
void expectSameReading(const std::string& message)
{
    SCOPED_TRACE(message.substr(0, 300));
    const MessageHeaders fast = detail::parseHeaderBlock(detail::scanHeaders(message), ParsePath::Fast);
    const MessageHeaders slow = detail::parseHeaderBlock(detail::scanHeaders(message), ParsePath::GMimeOnly);
    EXPECT_EQ(fast.subject, slow.subject);
    EXPECT_EQ(fast.sender.name, slow.sender.name);
    EXPECT_EQ(fast.sender.address, slow.sender.address);
    expectSameAddresses(fast.recipients, slow.recipients);
    EXPECT_EQ(fast.toCount, slow.toCount);
    EXPECT_EQ(fast.ccCount, slow.ccCount);
    EXPECT_EQ(fast.kind, slow.kind);
    const MessageContent fastBody = detail::parseMessageContent(message, ParsePath::Fast);
    const MessageContent slowBody = detail::parseMessageContent(message, ParsePath::GMimeOnly);
    EXPECT_EQ(fastBody.htmlBody, slowBody.htmlBody);
    EXPECT_EQ(fastBody.textBody, slowBody.textBody);
    EXPECT_EQ(fastBody.attachmentNames, slowBody.attachmentNames);
}

const std::vector<std::string> senderForms = {
    "anna@home.example",
    "<anna@home.example>",
    "Anna Berg <anna.berg@home.example>",
    "\"Berg, Anna\" <a_b+tag@mail.home-example.org>",
    "  \"anna\"   <ANNA@Home.Example>  ",
    "Anna<anna@home.example>",
    "Anna  Berg <anna@home.example>",
    "\"  spaced  \" <anna@home.example>",
    "\"\" <anna@home.example>",
    "John Q. Public <jqp@home.example>",
    "=?UTF-8?B?w4VzYQ==?= <asa@home.example>",
    "\"=?ISO-8859-1?Q?Andr=E9?=\" <andre@home.example>",
    "\"quoted \\\" pair\" <qp@home.example>",
    "anna@home.example (Anna Berg)",
    "Friends: anna@home.example, bob@home.example;",
    "anna@home.example, bob@home.example",
    "\xC3\x85sa <asa@home.example>",
    "\xE5sa <asa@home.example>",
    "<anna@xn--bcher-kva.example>",
    "<anna@mail.XN--bcher-kva.example>",
    "<anna@b--cher.example>",
    "anna@[192.0.2.1]",
    "\"anna\"@home.example",
    "anna..berg@home.example",
    ".anna@home.example",
    "anna@home.example.",
    "<>",
    "anna",
    "Anna <anna@home.example",
    "Anna <anna@home.example> trailing",
    "Anna <<anna@home.example>>",
    "Anna\t<anna@home.example>",
};

const std::vector<std::string> subjectForms = {
    "meeting report update",
    "  padded\t subject \t",
    "tabs\tinside\ttext",
    "=?UTF-8?Q?Gr=C3=BC=C3=9Fe?= aus Berlin",
    "=?utf-8?b?w4VzYQ==?=  =?utf-8?b?w4VzYQ==?=",
    "half =? an encoded word",
    "caf\xC3\xA9 in UTF-8",
    "caf\xE9 in Latin-1",
    "",
};

const std::vector<std::string> contentTypes = {
    "",
    "text/plain",
    "text/plain; charset=utf-8",
    "text/plain; charset=\"US-ASCII\"; format=flowed; delsp=yes",
    "TEXT/HTML; CHARSET=UTF-8",
    "text/html; charset=iso-8859-1",
    "text/plain; charset=windows-1252",
    "text/plain; charset*=utf-8''x",
    "text/plain; name=\"notes.txt\"",
    "text/plain (comment); charset=utf-8",
    "text/plain; charset=utf-8;",
    "text/plain; charset=utf-8; charset=koi8-r",
    "application/octet-stream",
    "text/calendar; method=REQUEST",
    "multipart/report; report-type=delivery-status; boundary=b",
};

const std::vector<std::pair<std::string, std::string>> encodedBodies = {
    {"", "plain line\r\nsecond line caf\xC3\xA9\r\n"},
    {"7bit", "seven bit\r\n\r\n"},
    {"8bit", "caf\xE9 not UTF-8\r\n"},
    {"binary", "a\0b\r\n"},
    {"quoted-printable", "caf=C3=A9 soft=\r\nbreak and =3D sign=\nunix break\r\n"},
    {"quoted-printable", "lower =c3=a9 hex\r\n"},
    {"quoted-printable", "stray = sign and =ZZ and trailing="},
    {"quoted-printable", "trailing blanks   \r\nend"},
    {"base64", "Y2Fmw6kgYm9keQ==\r\n"},
    {"base64", "Y2Fm\r\nw6kgYm9k\r\neQ=\r\n"},
    {"base64", "Y2Fmw6k\r\n"},
    {"base64", "Y2Fm w6kg Ym9k eSE=\r\n"},
    {"base64", "Y2Fm=w6kg\r\n"},
    {"base64", "Y2Fmw6kgYm9keQ==garbage\r\n"},
    {"BASE64", "PGI+aHRtbDwvYj4=\r\n"},
    {"x-uuencode", "begin 644 x\r\n"},
};

std::string messageOf(const std::string& from, const std::string& subject, const std::string& type,
    const std::string& encoding, const std::string& body, const std::string& newline = "\r\n")
{
    std::string message = "Received: from a.example by b.example; Tue, 8 Dec 2026 10:00:00 +0000" + newline
        + "From: " + from + newline + "To: " + from + ", Bob <bob@home.example>" + newline + "Cc: " + from + newline
        + "Subject: " + subject + newline + "MIME-Version: 1.0" + newline;
    if (!type.empty())
        message += "Content-Type: " + type + newline;
    if (!encoding.empty())
        message += "Content-Transfer-Encoding: " + encoding + newline;
    return message + newline + body;
}

TEST(PlainReading, EveryCorpusMessageReadsAsGMimeReadsIt)
{
    const std::vector<std::string> messages = corpusMessages();
    ASSERT_GT(messages.size(), 40u);
    for (const std::string& message : messages)
        expectSameReading(message);
}

TEST(PlainReading, GeneratedMailReadsAsGMimeReadsIt)
{
    for (const std::string& from : senderForms)
        for (const std::string& subject : subjectForms)
            expectSameReading(messageOf(from, subject, "text/plain; charset=utf-8", "", "body\r\n"));
    for (const std::string& type : contentTypes)
        for (const auto& [encoding, body] : encodedBodies) {
            expectSameReading(messageOf("Anna <anna@home.example>", "s", type, encoding, body));
            expectSameReading(messageOf("Anna <anna@home.example>", "s", type, encoding, body, "\n"));
        }
}

TEST(PlainReading, TruncatedAndFoldedMailReadsAsGMimeReadsIt)
{
    const std::string folded = "From: \"Anna\"\r\n <anna@home.example>\r\nSubject: folded\r\n\tsubject\r\n"
                               "Content-Type: text/plain;\r\n charset=utf-8\r\n"
                               "Content-Transfer-Encoding: quoted-printable\r\n\r\ncaf=C3=A9 =\r\nend\r\n";
    const std::string plain = messageOf("Anna <anna@home.example>", "caf\xC3\xA9", "text/html; charset=utf-8", "base64",
        "PGI+aHRtbDwvYj4gYm9keQ==\r\n");
    for (const std::string& whole : {folded, plain})
        for (std::size_t length = 0; length <= whole.size(); ++length)
            expectSameReading(whole.substr(0, length));
}

TEST(PlainReading, MessageFilesReadAsGMimeReadsThem)
{
    // From a file the plain reader reads the body itself and, where it gives
    // up (a broken encoding, a body too large), hands the same file to GMime.
    std::vector<std::string> messages;
    for (const auto& [encoding, body] : encodedBodies)
        messages.push_back(messageOf("Anna <anna@home.example>", "s", "text/plain; charset=utf-8", encoding, body));
    messages.push_back(
        messageOf("a@home.example", "s", "text/html", "", std::string(detail::maxPlainBodyBytes + 1, 'x')));
    messages.push_back(messageOf("a@home.example", "s", "text/plain", "base64",
        std::string(detail::maxPlainBodyBytes - 8, 'Q') + "=broken\r\n"));
    testing::expectFilesReadAsGMimeReadsThem(messages);
}

TEST(PlainReading, OrdinaryFormsAreReadWithoutGMime)
{
    // The comparisons above hold trivially if the plain readers always give
    // up; the forms of ordinary mail must be theirs.
    const std::optional<MailAddress> quoted = detail::plainMailbox(" \"Berg, Anna\" <anna@home.example>");
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->name, "Berg, Anna");
    EXPECT_EQ(quoted->address, "anna@home.example");
    EXPECT_TRUE(detail::plainMailbox("Anna Berg <anna@home.example>"));
    EXPECT_TRUE(detail::plainMailbox("anna@home.example"));
    EXPECT_TRUE(detail::plainMailbox("<anna@home.example>"));
    EXPECT_FALSE(detail::plainMailbox("=?UTF-8?B?w4VzYQ==?= <asa@home.example>"));
    EXPECT_FALSE(detail::plainMailbox("anna@home.example, bob@home.example"));
    // A domain in punycode, in any case and at any label, is GMime's to read.
    for (const char* domain : {"xn--bcher.example", "Xn--bcher.example", "mail.xN--bcher.example", "a.XN--b"})
        EXPECT_FALSE(detail::plainMailbox(std::string("<anna@") + domain + ">")) << domain;
    for (const char* domain : {"b--cher.example", "x--n.example", "xn-.example", "n--x.example", "--a.example"})
        EXPECT_TRUE(detail::plainMailbox(std::string("<anna@") + domain + ">")) << domain;
    EXPECT_EQ(detail::plainText(" meeting report "), "meeting report");
    EXPECT_FALSE(detail::plainText("=?UTF-8?Q?x?="));

    const std::optional<detail::PlainLayout> layout
        = detail::plainLayoutOf("MIME-Version: 1.0\r\nContent-Type: text/html;\r\n charset=\"utf-8\"\r\n"
                                "Content-Transfer-Encoding: base64\r\n");
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->html);
    EXPECT_EQ(detail::plainBody(*layout, "PGI+aHRtbDwvYj4=\r\n")->text, "<b>html</b>");
    EXPECT_FALSE(detail::plainLayoutOf("Content-Type: multipart/alternative; boundary=x\r\n"));
    EXPECT_FALSE(detail::plainLayoutOf("Content-Type: text/plain\r\nContent-Disposition: attachment\r\n"));
    EXPECT_FALSE(detail::plainBody(*layout, std::string(detail::maxPlainBodyBytes + 1, 'A')));
}

} // namespace
} // namespace kvn::outlook
