// New messages: what composeMessage writes reads back as it was meant.
#include "platform/core/ole_date.h"
#include "platform/outlook/message_file.h"
#include "tests/support/temp_folder.h"

#include "tests/support/local_time.h"

#include <gtest/gtest.h>

namespace kvn::outlook {
namespace {

using testing::oleDateOf;

TEST(ComposeMessage, ReadsBackWithDecodedHeadersAndBothBodies)
{
    OutgoingMessage outgoing;
    outgoing.from = "Anna Berg <anna@home.example>";
    outgoing.to = {{"Jörg Müller", "joerg@example.net"}, {"", "tom@home.example"}};
    outgoing.subject = "KVN calibration e-mail – ünïcode";
    outgoing.htmlBody = "<html><body><p>Hello <b>jörg@example.net</b></p></body></html>";
    const std::string text = composeMessage(outgoing, oleDateOf(2024, 1, 5, 21, 30));

    EXPECT_NE(text.find("\r\nMIME-Version: 1.0\r\n"), std::string::npos);
    EXPECT_NE(text.find("Date: Fri, 05 Jan 2024 21:30:00 +0100\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Message-Id: <"), std::string::npos);
    EXPECT_EQ(text.find("ünïcode"), std::string::npos) << "8-bit text in headers";
    EXPECT_NE(text.find("Hello <b>j=C3=B6rg@example.net</b>"), std::string::npos) << "body not UTF-8";
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_EQ(text[at - 1], '\r') << "bare LF at " << at;

    testing::TempFolder folder;
    testing::writeWholeFile(folder / "sent", text);
    const std::optional<MessageHeaders> headers = readMessageHeaders(folder / "sent");
    ASSERT_TRUE(headers.has_value());
    EXPECT_EQ(headers->subject, outgoing.subject);
    EXPECT_EQ(headers->sender.name, "Anna Berg");
    EXPECT_EQ(headers->sender.address, "anna@home.example");
    ASSERT_EQ(headers->recipients.size(), 2u);
    EXPECT_EQ(headers->recipients[0].name, "Jörg Müller");
    EXPECT_EQ(headers->recipients[1].address, "tom@home.example");

    const std::optional<MessageContent> content = readMessageContent(folder / "sent");
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(content->htmlBody, outgoing.htmlBody);
    EXPECT_EQ(content->textBody, "Hello jörg@example.net");
}

TEST(ComposeMessage, LineBreaksInHeaderTextsCannotAddHeaders)
{
    OutgoingMessage outgoing;
    outgoing.from = "a@example.com";
    outgoing.to = {{"Name\r\nBcc: victim@example.com", "b@example.com"}};
    outgoing.subject = "Hi\r\nBcc: victim@example.com";
    const std::string text = composeMessage(outgoing, oleDateOf(2024, 1, 5, 9, 0));
    EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos) << text;
}

} // namespace
} // namespace kvn::outlook
