// A block that arrives in one piece takes the header scan's short way; the
// same block fed a byte at a time takes the long one. Both must give the same
// answer for every block: plain ones, ones with the bytes and lines the short
// way leaves alone, and ones at and around every cap.
#include "fuzz/mail_fuzz_checks.h"
#include "platform/outlook/header_scan.h"

#include <gtest/gtest.h>

namespace kvn::outlook {
namespace {

using detail::HeaderScanLimits;
using detail::HeaderScanner;
using detail::ScannedHeaders;

const std::string plainBlock = "Received: from a.example (b.example [192.0.2.1])\r\n\tby mx.example\r\n"
                               "From: Anna <anna@example.org>\r\nTo: bob@example.org,\r\n carl@example.org\r\n"
                               "Cc: dora@example.org\r\nTo: emil@example.org\r\nSubject: plain\r\n  folded\r\n"
                               "Content-Type: text/plain;\r\n charset=utf-8\r\nMIME-Version: 1.0\r\n"
                               "Content-Class: urn:x\r\nBcc: fred@example.org\r\nReturn-Path: <r@example.org>\r\n"
                               "Sender: s@example.org\r\nSubject: second\r\nX-Other: 1\r\n\r\nbody\r\n";

ScannedHeaders byteByByte(std::string_view message, const HeaderScanLimits& limits)
{
    HeaderScanner scanner(limits);
    for (const char& c : message) {
        if (!scanner.feed(std::string_view(&c, 1)))
            break;
    }
    return scanner.finish();
}

const HeaderScanLimits smallLimits{.subjectBytes = 20,
    .addressFieldBytes = 30,
    .recipientBytes = 60,
    .transportFieldBytes = 70,
    .transportReceivedBytes = 120,
    .transportOtherBytes = 400,
    .kindFieldBytes = 25,
    .mimeBytes = 90,
    .blockBytes = 600};

// Only the block's own cap small, below the others.
const HeaderScanLimits smallBlock{.blockBytes = 300};

void expectBothWaysAlike(const std::string& message)
{
    for (const HeaderScanLimits& limits : {HeaderScanLimits{}, smallLimits, smallBlock}) {
        const ScannedHeaders whole = detail::scanHeaders(message, limits);
        EXPECT_TRUE(fuzz::sameScan(whole, byteByByte(message, limits)))
            << "subject cap " << limits.subjectBytes << ", message:\n"
            << message;
    }
}

std::string withLineEnds(std::string text, const std::string& lineEnd)
{
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.compare(at, 2, "\r\n") == 0) {
            out += lineEnd;
            ++at;
        } else {
            out += text[at];
        }
    }
    return out;
}

TEST(HeaderScanWhole, PlainBlocksWithEitherLineEndAndEveryEnding)
{
    for (const std::string& block : {plainBlock, withLineEnds(plainBlock, "\n")}) {
        expectBothWaysAlike(block);
        // Cut anywhere: the block may then not end in the piece at all.
        for (std::size_t size = 0; size < block.size(); ++size)
            expectBothWaysAlike(block.substr(0, size));
    }
}

TEST(HeaderScanWhole, BytesAndLinesTheShortWayLeavesAlone)
{
    const std::size_t blockSize = plainBlock.find("\r\n\r\n") + 4;
    for (const char odd : {'\0', '\r', '\n', ' ', '\t', ':'}) {
        for (std::size_t at = 0; at < blockSize; ++at) {
            std::string message = plainBlock;
            message.insert(at, 1, odd);
            expectBothWaysAlike(message);
        }
    }
    for (std::size_t length = 254; length <= 258; ++length)
        expectBothWaysAlike(std::string(length, 'N') + ": value\r\nFrom: a@example.org\r\n\r\n");
    expectBothWaysAlike(" continued first\r\nFrom: a@example.org\r\n\r\n");
    expectBothWaysAlike("From nobody Mon Nov 13 09:15:02 2023\r\nFrom: a@example.org\r\n\r\n");
    expectBothWaysAlike("\r\n");
    expectBothWaysAlike("\n");
}

// A field line of exactly `size` bytes (at least its name, ": " and CRLF).
std::string fieldOf(const std::string& name, std::size_t size, char filler)
{
    const std::size_t frame = name.size() + 4;
    return name + ": " + std::string(size > frame ? size - frame : 0, filler) + "\r\n";
}

// Sizes from a little under `cap` to a little over it.
std::vector<std::size_t> around(std::size_t cap)
{
    std::vector<std::size_t> sizes;
    for (std::size_t size = cap > 6 ? cap - 6 : 0; size <= cap + 6; ++size)
        sizes.push_back(size);
    return sizes;
}

// Each kept value, each field's and each class's share of the transport
// headers, the MIME lines and the block itself, from just under its cap to
// just over it.
TEST(HeaderScanWhole, FieldsAroundEveryCap)
{
    const HeaderScanLimits& cap = smallLimits;
    // A value is the field's line without its name, colon and CRLF.
    for (std::size_t size : around(cap.subjectBytes))
        expectBothWaysAlike(fieldOf("Subject", size + 11, 's') + "\r\n");
    for (std::size_t size : around(cap.addressFieldBytes))
        expectBothWaysAlike(fieldOf("From", size + 7, 'f') + fieldOf("Sender", 12, 'x') + "\r\n");
    // To, Cc and Bcc share theirs; a second To joins the first with ", ".
    for (std::size_t size : around(cap.recipientBytes / 3)) {
        expectBothWaysAlike(
            fieldOf("To", size + 5, 'r') + fieldOf("Cc", size + 5, 'c') + fieldOf("Bcc", size + 6, 'b') + "\r\n");
        expectBothWaysAlike(fieldOf("To", size + 5, 'r') + fieldOf("To", size + 5, 't') + "\r\n");
    }
    for (std::size_t size : around(cap.kindFieldBytes)) {
        expectBothWaysAlike(fieldOf("Content-Type", size + 16, 't') + "\r\n");
        expectBothWaysAlike(fieldOf("Content-Class", size + 17, 'c') + "\r\n");
    }
    // The MIME lines together, with the two bytes the scan keeps in hand.
    for (std::size_t size : around(cap.mimeBytes - 2))
        expectBothWaysAlike(fieldOf("Content-Type", 30, 't') + fieldOf("MIME-Version", size - 30, 'v') + "\r\n");
    // A field's share, folded or not.
    for (std::size_t size : around(cap.transportFieldBytes)) {
        expectBothWaysAlike(fieldOf("X-Long", size, 'x') + fieldOf("From", 12, 'a') + "\r\n");
        expectBothWaysAlike(fieldOf("X-Long", size - 10, 'x') + "\tand more\r\n" + fieldOf("From", 12, 'a') + "\r\n");
    }
    // A class's share, less the line end the scan keeps in hand for a field.
    for (std::size_t size : around(cap.transportReceivedBytes - 2)) {
        const std::size_t first = cap.transportFieldBytes - 10;
        expectBothWaysAlike(fieldOf("Received", first, 'r') + fieldOf("Received", size - first, 'q')
            + fieldOf("From", 12, 'a') + "\r\n");
    }
    // The block, its empty line included.
    for (std::size_t size : around(smallBlock.blockBytes)) {
        std::string block;
        while (block.size() + 2 * 40 < size)
            block += fieldOf("X-Fill", 40, 'f');
        expectBothWaysAlike(block + fieldOf("X-Last", size - 2 - block.size(), 'l') + "\r\nbody");
    }
}

} // namespace
} // namespace kvn::outlook
