// Header questions on the sample Maildir: decoded subjects and names, the
// sender fallbacks, recipients with groups, and the raw transport headers.
#include "platform/outlook/address_split.h"
#include "platform/outlook/header_block.h"
#include "platform/outlook/message_file.h"
#include "tests/outlook/mail_test_data.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace kvn::outlook {
namespace {

using testing::mailSample;

MessageHeaders headersOf(const std::string& path)
{
    std::optional<MessageHeaders> headers = readMessageHeaders(path);
    EXPECT_TRUE(headers.has_value()) << path;
    return headers.value_or(MessageHeaders{});
}

TEST(MessageHeaders, DecodesUtf8AndLatin1EncodedWords)
{
    const MessageHeaders utf8 = headersOf(mailSample("cur/1699863302.M101P2001.sample:2,S"));
    EXPECT_EQ(utf8.subject, "Grüße aus München");
    EXPECT_EQ(utf8.sender.name, "Jörg Müller");
    EXPECT_EQ(utf8.sender.address, "jens@example.net");

    const MessageHeaders latin1 = headersOf(mailSample("cur/1699870000.M102P2001.sample:2,"));
    EXPECT_EQ(latin1.subject, "Réunion de l'équipe - Montag");
    EXPECT_EQ(latin1.sender.name, "François Lefèvre");

    EXPECT_EQ(headersOf(mailSample("cur/1699950000.M110P2001.sample:2,")).subject, "Hej från Göteborg");
    EXPECT_EQ(headersOf(mailSample("new/1699900000.M105P2001.sample")).subject, "Nur heute: 20€ Rabatt");
}

TEST(MessageHeaders, RecipientsAreToThenCcWithGroupsExpanded)
{
    const MessageHeaders withCc = headersOf(mailSample("cur/1699870000.M102P2001.sample:2,"));
    ASSERT_EQ(withCc.recipients.size(), 2u);
    EXPECT_EQ(withCc.recipients[0].address, "anna@home.example");
    EXPECT_EQ(withCc.recipients[0].name, "");
    EXPECT_EQ(withCc.recipients[1].name, "Berg, Tom");
    EXPECT_EQ(withCc.recipients[1].address, "tom@home.example");

    const MessageHeaders groups = headersOf(mailSample("new/1699910000.M106P2001.sample"));
    ASSERT_EQ(groups.recipients.size(), 3u);
    EXPECT_EQ(groups.recipients[0].address, "alice@example.com");
    EXPECT_EQ(groups.recipients[1].name, "Bob B.");
    EXPECT_EQ(groups.recipients[1].address, "bob@example.com");
    EXPECT_EQ(groups.recipients[2].address, "carol@example.com");
}

TEST(MessageHeaders, SenderFallsBackToSenderThenReturnPath)
{
    const MessageHeaders noFrom = headersOf(mailSample("new/1699920000.M107P2001.sample"));
    EXPECT_EQ(noFrom.sender.name, "Newsletter Robot");
    EXPECT_EQ(noFrom.sender.address, "robot@lists.example");

    testing::TempFolder folder;
    testing::writeWholeFile(folder / "m", "Return-Path: <bounce@example.org>\nSubject: s\n\nbody\n");
    EXPECT_EQ(headersOf(folder / "m").sender.address, "bounce@example.org");
}

TEST(MessageHeaders, TransportHeadersAreTheRawBlockWithItsLineEnds)
{
    const std::string path = mailSample("cur/1699950000.M110P2001.sample:2,");
    const std::string file = testing::readWholeFile(path);
    const MessageHeaders headers = headersOf(path);
    EXPECT_EQ(headers.transportHeaders, file.substr(0, file.find("\r\n\r\n") + 2));
    EXPECT_NE(headers.transportHeaders.find("Received: from [198.51.100.7] (dsl-7.provider.example "
                                            "[198.51.100.7])\r\n\tby mx.example.net"),
        std::string::npos);

    const MessageHeaders lf = headersOf(mailSample("new/1699910000.M106P2001.sample"));
    EXPECT_TRUE(lf.transportHeaders.ends_with("Content-Type: text/plain; charset=us-ascii\n"));
    EXPECT_EQ(lf.transportHeaders.find("Line one"), std::string::npos);
}

TEST(MessageHeaders, MissingFileAndFoldersGiveNoAnswer)
{
    testing::TempFolder folder;
    EXPECT_FALSE(readMessageHeaders(folder / "missing").has_value());
    EXPECT_FALSE(readMessageHeaders(folder.path()).has_value());
}

TEST(MessageHeaders, AddressListsAreSplitBeforeTheyAreParsed)
{
    using detail::splitAddressList;
    EXPECT_EQ(splitAddressList("a@x, \"Berg, Tom\" <t@x>,, Team: b@x, c@x; d@x"),
        (std::vector<std::string>{"a@x", " \"Berg, Tom\" <t@x>", " b@x", " c@x", " d@x"}));
    EXPECT_EQ(splitAddressList("(a, comment) e@x, <route:r@x>, Empty:;"),
        (std::vector<std::string>{"(a, comment) e@x", " <route:r@x>"}));
    // What is left open is closed, so that a parser reads it as split.
    EXPECT_EQ(splitAddressList("\"open, (x <y"), (std::vector<std::string>{"\"open, (x <y\""}));
    EXPECT_EQ(splitAddressList("(open <y"), (std::vector<std::string>{"(open <y)"}));
    EXPECT_EQ(
        splitAddressList("a:b:c@x; N <n@x> trailing: t@x"), (std::vector<std::string>{"c@x", " N <n@x>", " t@x"}));

    // Groups a hundred thousand deep, or a hundred thousand empty ones,
    // once ran GMime's parser out of stack or for seconds.
    testing::TempFolder folder;
    std::string nested = "To: ";
    std::string empty = "To: ";
    for (int i = 0; i < 200000; ++i) {
        nested += "g:";
        empty += "g:;";
    }
    testing::writeWholeFile(folder / "nested", nested + "deep@example.org\n\n");
    testing::writeWholeFile(folder / "empty", empty + "last@example.org\n\n");
    const MessageHeaders deep = headersOf(folder / "nested");
    ASSERT_EQ(deep.recipients.size(), 1u);
    EXPECT_EQ(deep.recipients[0].address, "deep@example.org");
    ASSERT_EQ(headersOf(folder / "empty").recipients.size(), 1u);
    EXPECT_EQ(headersOf(folder / "empty").recipients[0].address, "last@example.org");
}

TEST(HeaderBlock, EndsAtTheFirstEmptyLineEvenAcrossReads)
{
    testing::TempFolder folder;
    // The empty line falls exactly on the boundary of the reader's 64 KiB pieces.
    for (std::size_t size : {64 * 1024 - 2, 64 * 1024 - 1, 64 * 1024, 64 * 1024 + 1}) {
        const std::string head = "Subject: " + std::string(size - 11, 'x') + "\r\n";
        testing::writeWholeFile(folder / "m", head + "\r\nBody: not a header\r\n");
        const std::optional<detail::ScannedHeaders> block = detail::readHeaderBlock(folder / "m");
        ASSERT_TRUE(block.has_value());
        EXPECT_EQ(block->subject, " " + std::string(size - 11, 'x')) << size;
        EXPECT_TRUE(block->complete) << size;
        EXPECT_EQ(block->bodyOffset, head.size() + 2) << size;
    }
}

TEST(HeaderBlock, InMemoryBlocks)
{
    const auto blockOf = [](std::string_view message) { return detail::scanHeaders(message).transportHeaders; };
    EXPECT_EQ(blockOf("A: 1\nB: 2\n\nbody"), "A: 1\nB: 2\n");
    EXPECT_EQ(blockOf("A: 1\r\n\r\nbody"), "A: 1\r\n");
    EXPECT_EQ(blockOf("\nbody only"), "");
    EXPECT_EQ(blockOf("\r\nbody only"), "");
    EXPECT_EQ(blockOf("A: 1\nno empty line"), "A: 1\nno empty line");
    EXPECT_EQ(blockOf("A: 1\n\r"), "A: 1\n\r");
}

} // namespace
} // namespace kvn::outlook
