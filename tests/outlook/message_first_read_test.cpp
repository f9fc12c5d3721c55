// The mail store's first read of a message file: the header answers of
// readMessageHeaders, and a small file's body kept, which must read exactly
// as the file does.
#include "platform/outlook/message_first_read.h"

#include "tests/outlook/mail_test_data.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

std::vector<std::string> messageFilesUnder(const std::string& folder)
{
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            paths.push_back(entry.path().string());
    return paths;
}

std::vector<std::string> everySample()
{
    std::vector<std::string> paths = messageFilesUnder(std::string(KVN_TEST_DATA_DIR) + "/maildir-sample");
    for (const char* corpus : {"/broken", "/classify"})
        for (std::string& path : messageFilesUnder(std::string(KVN_TEST_DATA_DIR) + corpus))
            paths.push_back(std::move(path));
    return paths;
}

void expectSameHeaders(const MessageHeaders& a, const MessageHeaders& b, const std::string& path)
{
    EXPECT_EQ(a.subject, b.subject) << path;
    EXPECT_EQ(a.sender.name, b.sender.name) << path;
    EXPECT_EQ(a.sender.address, b.sender.address) << path;
    EXPECT_EQ(a.kind, b.kind) << path;
    EXPECT_EQ(a.transportHeaders, b.transportHeaders) << path;
}

TEST(FirstRead, AnswersAsTheHeaderReadAndItsKeptBodyReadsAsTheFile)
{
    std::size_t keptAndRead = 0;
    for (const std::string& path : everySample()) {
        BodyLayout layout;
        const std::optional<MessageHeaders> headers = readMessageHeaders(path, layout);
        std::optional<FirstRead> first = readMessageFirst(path);
        ASSERT_EQ(first.has_value(), headers.has_value()) << path;
        if (!first)
            continue;
        expectSameHeaders(first->headers, *headers, path);
        EXPECT_EQ(first->layout.mimeHeaders, layout.mimeHeaders) << path;
        EXPECT_EQ(first->layout.bodyOffset, layout.bodyOffset) << path;
        EXPECT_TRUE(first->headers.recipients.empty()) << path;
        parseRecipients(first->recipients, first->headers);
        ASSERT_EQ(first->headers.recipients.size(), headers->recipients.size()) << path;
        for (std::size_t i = 0; i < headers->recipients.size(); ++i)
            EXPECT_EQ(first->headers.recipients[i].address, headers->recipients[i].address) << path;
        EXPECT_EQ(first->headers.toCount, headers->toCount) << path;
        EXPECT_EQ(first->headers.ccCount, headers->ccCount) << path;
        if (!first->body)
            continue;
        EXPECT_EQ(first->layout.bodyOffset + first->body->size(), std::filesystem::file_size(path)) << path;
        bool keptTextLeftOut = true;
        const std::optional<MessageContent> kept = readKeptBody(*first->body, first->layout, keptTextLeftOut);
        if (!kept)
            continue; // left to the file reader
        ++keptAndRead;
        bool fileTextLeftOut = false;
        const std::optional<MessageContent> fromFile = readMessageContent(path, layout, fileTextLeftOut);
        ASSERT_TRUE(fromFile) << path;
        EXPECT_EQ(kept->htmlBody, fromFile->htmlBody) << path;
        EXPECT_EQ(kept->textBody, fromFile->textBody) << path;
        EXPECT_EQ(kept->attachmentNames, fromFile->attachmentNames) << path;
        EXPECT_EQ(keptTextLeftOut, fileTextLeftOut) << path;
    }
    // Most samples are ordinary mail, which the plain readers take.
    EXPECT_GE(keptAndRead, 12u);
}

TEST(FirstRead, KeepsABodyOnlyWhenOneReadTookInTheWholeFile)
{
    TempFolder temp;
    const std::string head = "From: a@b.example\r\nSubject: s\r\nContent-Type: text/plain\r\n\r\n";
    const auto firstOf = [&](const std::string& name, const std::string& text) {
        const std::string path = temp / name;
        writeWholeFile(path, text);
        return readMessageFirst(path);
    };
    // The first read takes 64 KiB.
    const std::string fits = head + std::string(64 * 1024 - head.size(), 'x');
    std::optional<FirstRead> read = firstOf("fits", fits);
    ASSERT_TRUE(read && read->body);
    EXPECT_EQ(*read->body, fits.substr(head.size()));
    read = firstOf("over", fits + "y");
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->body);
    EXPECT_TRUE(read->layout.complete);

    read = firstOf("empty body", head);
    ASSERT_TRUE(read && read->body);
    EXPECT_EQ(*read->body, "");
    // No empty line: no body to keep, and none to read.
    read = firstOf("no body", "From: a@b.example\r\nSubject: s");
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->body);
    bool textLeftOut = true;
    const std::optional<MessageContent> none = readKeptBody("", read->layout, textLeftOut);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->htmlBody.empty() && none->textBody.empty());
    EXPECT_FALSE(textLeftOut);

    EXPECT_FALSE(readMessageFirst(temp / "missing"));
}

TEST(FirstRead, AKeptBodyThePlainReadersRefuseIsLeftToTheFileReader)
{
    // GMime reads a multipart without its closing delimiter; the plain reader
    // does not, and the kept body gives no answer rather than another one.
    const std::string message = "From: a@b.example\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
                                "--b\r\nContent-Type: text/plain\r\n\r\ncut short\r\n";
    TempFolder temp;
    writeWholeFile(temp / "m", message);
    const std::optional<FirstRead> read = readMessageFirst(temp / "m");
    ASSERT_TRUE(read && read->body);
    bool textLeftOut = false;
    EXPECT_FALSE(readKeptBody(*read->body, read->layout, textLeftOut));
    const std::optional<MessageContent> fromFile = readMessageContent(temp / "m");
    ASSERT_TRUE(fromFile);
    EXPECT_NE(fromFile->textBody.find("cut short"), std::string::npos);
}

} // namespace
} // namespace kvn::outlook
