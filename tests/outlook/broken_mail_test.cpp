// Bad mail is a normal day: every message of the broken corpus, and the big
// and vanishing ones made here, gets an answer in valid UTF-8.
#include "platform/outlook/message_file.h"
#include "tests/outlook/mail_test_data.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kvn::outlook {
namespace {

using testing::brokenMail;

bool isValidUtf8(const std::string& text)
{
    // The test's own decoder: any byte sequence that is not UTF-8 fails.
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return text.find('\0') == std::string::npos;
}

void expectCleanText(const MessageHeaders& headers, const MessageContent& content, const std::string& name)
{
    std::vector<std::string> texts{
        headers.subject, headers.sender.name, headers.sender.address, content.htmlBody, content.textBody};
    for (const MailAddress& recipient : headers.recipients) {
        texts.push_back(recipient.name);
        texts.push_back(recipient.address);
    }
    texts.insert(texts.end(), content.attachmentNames.begin(), content.attachmentNames.end());
    for (const std::string& text : texts)
        EXPECT_TRUE(isValidUtf8(text)) << name << ": " << text;
}

TEST(BrokenMail, EveryCorpusMessageAnswersInValidUtf8)
{
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testing::brokenMailFolder())) {
        const std::string path = entry.path().string();
        const std::optional<MessageHeaders> headers = readMessageHeaders(path);
        const std::optional<MessageContent> content = readMessageContent(path);
        ASSERT_TRUE(headers.has_value()) << path;
        ASSERT_TRUE(content.has_value()) << path;
        expectCleanText(*headers, *content, path);
        ++checked;
    }
    EXPECT_GE(checked, 16);
}

TEST(BrokenMail, WhatCanBeReadOfEachCaseIsRead)
{
    EXPECT_EQ(readMessageHeaders(brokenMail("nul-in-headers.eml"))->subject, "before after");
    EXPECT_EQ(readMessageHeaders(brokenMail("nul-in-headers.eml"))->sender.address, "nul@example.com");
    const MessageHeaders eightBit = *readMessageHeaders(brokenMail("eight-bit-headers.eml"));
    EXPECT_EQ(eightBit.sender.name, "Jörg");
    EXPECT_EQ(eightBit.recipients.at(0).name, "Åsa");
    EXPECT_TRUE(eightBit.subject.starts_with("Grüße")) << eightBit.subject;

    EXPECT_EQ(readMessageHeaders(brokenMail("mbox-from-line.eml"))->sender.name, "Mbox Sender");
    EXPECT_EQ(readMessageHeaders(brokenMail("headers-without-body.eml"))->subject, "no empty line and no body");
    EXPECT_EQ(readMessageHeaders(brokenMail("no-headers.eml"))->transportHeaders, "");
    EXPECT_EQ(readMessageHeaders(brokenMail("bad-encoded-words.eml"))->sender.address, "who@example.com");
    // A bare CR ends no line: what follows it belongs to the field.
    const MessageHeaders bareCr = *readMessageHeaders(brokenMail("bare-cr-headers.eml"));
    EXPECT_EQ(bareCr.subject, "one two");
    EXPECT_EQ(bareCr.sender.address, "bare@example.org");
    EXPECT_EQ(bareCr.recipients.at(0).address, "t@example.org");
    EXPECT_EQ(readMessageHeaders(brokenMail("lines-without-colon.eml"))->subject, "the real one");
    EXPECT_EQ(readMessageHeaders(brokenMail("lines-without-colon.eml"))->sender.address, "ok@example.org");
    const MessageHeaders cutShort = *readMessageHeaders(brokenMail("truncated-in-field.eml"));
    EXPECT_EQ(cutShort.sender.address, "cut@example.org");
    EXPECT_EQ(cutShort.recipients.at(0).address, "a@example.org");

    const MessageContent unterminated = *readMessageContent(brokenMail("unterminated-multipart.eml"));
    EXPECT_EQ(unterminated.textBody, "first part");
    EXPECT_EQ(unterminated.attachmentNames, std::vector<std::string>{"cut.bin"});
    EXPECT_EQ(readMessageContent(brokenMail("bad-encoded-words.eml"))->textBody, "body in a charset nobody knows\n");
    // Nesting deeper than the reader descends hides the innermost part.
    EXPECT_TRUE(readMessageContent(brokenMail("deep-nesting.eml"))->attachmentNames.empty());
}

TEST(BrokenMail, HeaderBlockOverOneMebibyteKeepsItsFirstMebibyteAndItsFields)
{
    testing::TempFolder folder;
    std::string message = "Subject: big\nFrom: a@example.com\n";
    while (message.size() < 2 * 1024 * 1024)
        message += "X-Filler: " + std::string(70, 'f') + "\n";
    message += "Received: from late.example [192.0.2.99]\nTo: last@example.com\n\nbody\n";
    testing::writeWholeFile(folder / "m", message);
    const MessageHeaders headers = *readMessageHeaders(folder / "m");
    EXPECT_LE(headers.transportHeaders.size(), 1024u * 1024);
    EXPECT_GT(headers.transportHeaders.size(), 768u * 1024 - 100);
    EXPECT_TRUE(headers.transportHeaders.starts_with("Subject: big\nFrom: a@example.com\nX-Filler: f"));
    // The Received field fits after the other fields' share is used up; To does not.
    EXPECT_TRUE(
        headers.transportHeaders.ends_with("\nReceived: from late.example [192.0.2.99]\nX-KVN-Omitted: 21 bytes\n"))
        << headers.transportHeaders.substr(headers.transportHeaders.size() - 200);
    EXPECT_TRUE(headers.cuts.transportHeaders);
    EXPECT_EQ(headers.subject, "big");
    EXPECT_EQ(headers.sender.address, "a@example.com");
    ASSERT_EQ(headers.recipients.size(), 1u);
    EXPECT_EQ(headers.recipients[0].address, "last@example.com");
}

TEST(BrokenMail, FiftyMegabyteAttachmentIsNamedWithoutBeingRead)
{
    testing::TempFolder folder;
    {
        std::ofstream out(folder / "big", std::ios::binary);
        out << "From: a@example.com\nSubject: big attachment\nMIME-Version: 1.0\n"
               "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nsee attached\n"
               "--b\nContent-Type: application/octet-stream; name=\"disk.img\"\n"
               "Content-Transfer-Encoding: base64\n\n";
        const std::string line = std::string(76, 'A') + "\n";
        for (std::size_t written = 0; written < 50u * 1024 * 1024; written += line.size())
            out << line;
        out << "--b\nContent-Type: text/plain; name=\"after.txt\"\n\nafter\n--b--\n";
    }
    EXPECT_EQ(readMessageHeaders(folder / "big")->subject, "big attachment");
    const MessageContent content = *readMessageContent(folder / "big");
    EXPECT_EQ(content.textBody, "see attached");
    EXPECT_EQ(content.attachmentNames, (std::vector<std::string>{"disk.img", "after.txt"}));
}

TEST(BrokenMail, BodiesBehindAHugeHeaderBlockAreReadInBoundedMemory)
{
    testing::TempFolder folder;
    testing::writeWholeFile(folder / "junk",
        "X-Junk: " + std::string(1100 * 1000, 'j')
            + "\r\nFrom: a@example.com\r\nContent-Type: multipart/mixed;\r\n boundary=\"b\"\r\n\r\n--b\r\n"
              "Content-Type: text/plain\r\n\r\nhello\r\n--b\r\nContent-Type: application/pdf; name=\"a.pdf\"\r\n\r\n"
              "xx\r\n--b--\r\n");
    const MessageContent junk = *readMessageContent(folder / "junk");
    EXPECT_EQ(junk.textBody, "hello");
    EXPECT_EQ(junk.attachmentNames, std::vector<std::string>{"a.pdf"});

    // A gigabyte of header (a sparse file) has no body the scan could find.
    testing::writeWholeFile(folder / "sparse", "Subject: zeros follow\r\nX-Zeros: ");
    ASSERT_EQ(::truncate((folder / "sparse").c_str(), 1024L * 1024 * 1024), 0);
    const std::optional<MessageContent> sparse = readMessageContent(folder / "sparse");
    ASSERT_TRUE(sparse.has_value());
    EXPECT_EQ(sparse->textBody, "");
    EXPECT_TRUE(sparse->attachmentNames.empty());
}

TEST(BrokenMail, EndlessNestingIsCappedAndAnswers)
{
    testing::TempFolder folder;
    std::string message = "From: a@example.com\nSubject: nested\nMIME-Version: 1.0\n";
    for (int i = 0; i < 20000; ++i)
        message += "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(i) + "\"\n\n--b" + std::to_string(i)
            + "\n";
    message += "Content-Type: text/plain\n\ndeep\n";
    testing::writeWholeFile(folder / "m", message);
    const std::optional<MessageContent> content = readMessageContent(folder / "m");
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(content->textBody, "");
}

TEST(BrokenMail, FileThatVanishesOrIsCutWhileOpenStillAnswers)
{
    testing::TempFolder folder;
    testing::writeWholeFile(folder / "m", "Subject: gone\n\nbody\n");
    ASSERT_EQ(::unlink((folder / "m").c_str()), 0);
    EXPECT_FALSE(readMessageHeaders(folder / "m").has_value());
    EXPECT_FALSE(readMessageContent(folder / "m").has_value());

    // A message that is cut short between the header read and the body read.
    std::string message = "Subject: cut\nContent-Type: multipart/mixed; boundary=\"b\"\n\n--b\n"
                          "Content-Type: application/pdf; name=\"a.pdf\"\n\n"
        + std::string(100000, 'x') + "\n--b--\n";
    testing::writeWholeFile(folder / "cut", message);
    EXPECT_EQ(readMessageHeaders(folder / "cut")->subject, "cut");
    ASSERT_EQ(::truncate((folder / "cut").c_str(), 120), 0);
    EXPECT_TRUE(readMessageContent(folder / "cut").has_value());
}

TEST(BrokenMail, FifoInAMailFolderDoesNotHang)
{
    testing::TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readMessageHeaders(folder / "fifo").has_value());
    EXPECT_FALSE(readMessageContent(folder / "fifo").has_value());
}

} // namespace
} // namespace kvn::outlook
