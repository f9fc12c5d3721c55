// The streaming header scan: the same answer however the file is cut into
// pieces, every cap reached and marked, and hostile blocks of every kind
// that hide nothing after them.
#include "platform/outlook/header_block.h"
#include "platform/outlook/header_scan.h"
#include "platform/outlook/message_file.h"
#include "tests/outlook/hostile_mail.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace kvn::outlook {
namespace {

using detail::HeaderScanLimits;
using detail::HeaderScanner;
using detail::scanHeaders;
using detail::ScannedHeaders;
using namespace std::string_literals;

const std::string ordinary = "From nobody Mon Nov 13 09:15:02 2023\r\n"
                             "Received: from relay.example (relay.example [192.0.2.10])\r\n"
                             "\tby mx.example.org; Mon, 13 Nov 2023 09:15:02 +0100\r\n"
                             "From: =?UTF-8?Q?J=C3=B6rg?= <joerg@example.net>\r\n"
                             "To: Anna <anna@home.example>,\r\n tom@home.example\r\n"
                             "Cc: team@home.example\r\nTo: late@home.example\r\n"
                             "Subject: folded\r\n  subject\r\n"
                             "no colon here\r\n"
                             "\r\nBody: not a header\r\n";

void expectSame(const ScannedHeaders& a, const ScannedHeaders& b, const std::string& what)
{
    EXPECT_EQ(a.subject, b.subject) << what;
    EXPECT_EQ(a.from, b.from) << what;
    EXPECT_EQ(a.to, b.to) << what;
    EXPECT_EQ(a.cc, b.cc) << what;
    EXPECT_EQ(a.transportHeaders, b.transportHeaders) << what;
    EXPECT_EQ(a.bodyOffset, b.bodyOffset) << what;
    EXPECT_EQ(a.complete, b.complete) << what;
}

TEST(HeaderScan, OrdinaryBlockGivesItsFieldsUnfolded)
{
    const ScannedHeaders scanned = scanHeaders(ordinary);
    EXPECT_EQ(scanned.subject, " folded  subject");
    EXPECT_EQ(scanned.from, " =?UTF-8?Q?J=C3=B6rg?= <joerg@example.net>");
    EXPECT_EQ(scanned.to, " Anna <anna@home.example>, tom@home.example,  late@home.example");
    EXPECT_EQ(scanned.cc, " team@home.example");
    EXPECT_EQ(scanned.transportHeaders, ordinary.substr(0, ordinary.find("\r\n\r\n") + 2));
    EXPECT_TRUE(scanned.complete);
    EXPECT_EQ(ordinary.substr(scanned.bodyOffset), "Body: not a header\r\n");
    EXPECT_FALSE(scanned.cuts.transportHeaders || scanned.cuts.subject || scanned.cuts.recipients);
}

TEST(HeaderScan, FieldNamesMatchInEitherCaseAndNoOtherByte)
{
    // A letter matches its capital; a dash only itself (a CR would pass for
    // a dash if it were compared as a letter is).
    for (const char* name : {"content-type", "CONTENT-TYPE", "Content-Type", "cOnTeNt-TyPe"}) {
        for (const char* end : {"\r\n", "\n"}) {
            const std::string block = std::string(name) + ": text/plain" + end + "Subject: s" + end + end;
            EXPECT_EQ(scanHeaders(block).contentType, " text/plain") << name;
            EXPECT_EQ(scanHeaders(block).subject, " s") << name;
        }
    }
    for (const char* name :
        {"content\rtype", "content\x0Dtype", "content type", "contenu-type", "content-typ", "content-typee",
            "content\x8Dtype", "conte\xEEt-type", "Content-Transfer-Encodinh", "Subjec", "Subjecu", "SUBJECT\x01"}) {
        const std::string block = std::string(name) + ": text/plain\nx: y\n\n";
        const ScannedHeaders scanned = scanHeaders(block);
        EXPECT_FALSE(scanned.contentType) << name;
        EXPECT_FALSE(scanned.subject) << name;
        EXPECT_EQ(scanned.mimeHeaders, "") << name;
    }
    // Every known name, in capitals, reaches its own field.
    const ScannedHeaders known = scanHeaders("RETURN-PATH: <r@x>\nSENDER: s@x\nFROM: f@x\nTO: t@x\nCC: c@x\n"
                                             "BCC: b@x\nCONTENT-CLASS: k\nCONTENT-DISPOSITION: inline\n"
                                             "CONTENT-TRANSFER-ENCODING: 8bit\nMIME-VERSION: 1.0\n\n");
    EXPECT_EQ(known.returnPath, " <r@x>");
    EXPECT_EQ(known.sender, " s@x");
    EXPECT_EQ(known.from, " f@x");
    EXPECT_EQ(known.to, " t@x");
    EXPECT_EQ(known.cc, " c@x");
    EXPECT_EQ(known.bcc, " b@x");
    EXPECT_EQ(known.contentClass, " k");
    EXPECT_EQ(known.mimeHeaders, "CONTENT-DISPOSITION: inline\nCONTENT-TRANSFER-ENCODING: 8bit\nMIME-VERSION: 1.0\n");
}

TEST(HeaderScan, PiecesOfAnySizeGiveTheSameAnswer)
{
    // Small caps, so that cut fields and marker lines are split as well.
    HeaderScanLimits limits{.subjectBytes = 9,
        .addressFieldBytes = 20,
        .recipientBytes = 30,
        .transportFieldBytes = 40,
        .transportReceivedBytes = 70,
        .transportOtherBytes = 150,
        .blockBytes = 500};
    const std::string message = ordinary + ordinary;
    for (const HeaderScanLimits& scanLimits : {HeaderScanLimits{}, limits}) {
        const ScannedHeaders whole = scanHeaders(message, scanLimits);
        for (std::size_t cut = 1; cut < message.size(); ++cut) {
            HeaderScanner scanner(scanLimits);
            if (scanner.feed(std::string_view(message).substr(0, cut)))
                scanner.feed(std::string_view(message).substr(cut));
            expectSame(scanner.finish(), whole, "cut at " + std::to_string(cut));
        }
        HeaderScanner byteByByte(scanLimits);
        for (char c : message) {
            if (!byteByByte.feed(std::string_view(&c, 1)))
                break;
        }
        expectSame(byteByByte.finish(), whole, "byte by byte");
    }
}

TEST(HeaderScan, TransportHeadersMarkWhatWasCutOrLeftOut)
{
    HeaderScanLimits limits{.transportFieldBytes = 30, .transportReceivedBytes = 200, .transportOtherBytes = 100};
    const std::string message = "A: 1\nLong: " + std::string(100, 'x') + "\nB: 2\nC: 3\nReceived: from h [192.0.2.1]\n"
        + "D: " + std::string(50, 'd') + "\nReceived: from g\nE: 5\n\nbody";
    const ScannedHeaders scanned = scanHeaders(message, limits);
    // Long is cut to its field's share; D to what is left of the others'
    // share, after which E is left out while Received fields still fit.
    EXPECT_EQ(scanned.transportHeaders,
        "A: 1\nLong: " + std::string(24, 'x') + "\nX-KVN-Omitted: 77 bytes\nB: 2\nC: 3\nReceived: from h [192.0.2.1]\n"
            + "D: " + std::string(26, 'd') + "\nX-KVN-Omitted: 25 bytes\nReceived: from g\nX-KVN-Omitted: 5 bytes\n");
    EXPECT_TRUE(scanned.cuts.transportHeaders);
    EXPECT_TRUE(scanned.complete);
}

TEST(HeaderScan, CutValuesKeepWholeWordsAndWholeAddresses)
{
    HeaderScanLimits limits{.subjectBytes = 14, .recipientBytes = 35};
    const ScannedHeaders scanned
        = scanHeaders("Subject: one two three four\nTo: aa@x.example, bb@x.example\nCc: cc@x.example\n"
                      "From: f@x.example\n\n",
            limits);
    EXPECT_EQ(scanned.subject, " one two");
    EXPECT_EQ(scanned.to, " aa@x.example, bb@x.example");
    EXPECT_EQ(scanned.cc, "");
    EXPECT_TRUE(scanned.cuts.subject);
    EXPECT_TRUE(scanned.cuts.recipients);
    EXPECT_EQ(scanned.from, " f@x.example");
}

// Every hostile message keeps its tail's sender, recipient and Received hop.
void expectTailSeen(const MessageHeaders& headers, const std::string& what)
{
    EXPECT_EQ(headers.sender.address, "offer@blacklisted.example") << what;
    EXPECT_EQ(headers.recipients.back().address, "anna@home.example") << what;
    EXPECT_NE(
        headers.transportHeaders.find("Received: from spam.example (spam.example [203.0.113.66])"), std::string::npos)
        << what;
    EXPECT_LE(headers.transportHeaders.size(), 1024u * 1024 + 100) << what;
}

TEST(HeaderScan, HugeFieldsHideNothingAfterThem)
{
    testing::TempFolder folder;
    testing::writeWholeFile(folder / "junk", testing::junkFirstHeaderMessage());
    const MessageHeaders junk = *readMessageHeaders(folder / "junk");
    expectTailSeen(junk, "junk");
    EXPECT_EQ(junk.subject, "walked past the lists");
    EXPECT_TRUE(junk.cuts.transportHeaders);
    EXPECT_NE(junk.transportHeaders.find("\r\nX-KVN-Omitted: "), std::string::npos);

    testing::writeWholeFile(folder / "fold", testing::endlessFoldMessage(8 * 1000 * 1000));
    const MessageHeaders fold = *readMessageHeaders(folder / "fold");
    expectTailSeen(fold, "fold");
    EXPECT_EQ(fold.subject, "walked past the lists");

    testing::writeWholeFile(folder / "subject", testing::hugeSubjectMessage());
    const MessageHeaders subject = *readMessageHeaders(folder / "subject");
    expectTailSeen(subject, "subject");
    EXPECT_TRUE(subject.cuts.subject);
    EXPECT_TRUE(subject.subject.starts_with("enormously enormously"));
    EXPECT_TRUE(subject.subject.ends_with("enormously")) << "cut inside a word";
    EXPECT_LE(subject.subject.size(), 64u * 1024);
}

TEST(HeaderScan, HundredThousandRecipientsAreAllSeen)
{
    testing::TempFolder folder;
    testing::writeWholeFile(folder / "crowd", testing::manyRecipientsMessage(100000));
    const MessageHeaders crowd = *readMessageHeaders(folder / "crowd");
    expectTailSeen(crowd, "crowd");
    ASSERT_EQ(crowd.recipients.size(), 100001u);
    EXPECT_EQ(crowd.recipients[99999].address, testing::crowdAddress(99999));
    EXPECT_FALSE(crowd.cuts.recipients);
}

TEST(HeaderScan, SparseGigabyteIsNotReadToItsEnd)
{
    testing::TempFolder folder;
    testing::writeWholeFile(folder / "sparse", "Subject: zeros follow\r\nFrom: z@example.org\r\nX-Zeros: ");
    ASSERT_EQ(::truncate((folder / "sparse").c_str(), 1024L * 1024 * 1024), 0);
    const std::optional<detail::ScannedHeaders> scanned = detail::readHeaderBlock(folder / "sparse");
    ASSERT_TRUE(scanned.has_value());
    EXPECT_TRUE(scanned->cuts.block);
    EXPECT_FALSE(scanned->complete);
    EXPECT_EQ(scanned->scannedBytes, HeaderScanLimits{}.blockBytes);
    EXPECT_EQ(scanned->subject, " zeros follow");
    EXPECT_EQ(readMessageHeaders(folder / "sparse")->sender.address, "z@example.org");
}

TEST(HeaderScan, OddBytesAndLinesAreKeptOutOfTheValues)
{
    const ScannedHeaders scanned
        = scanHeaders("Subject: a\rb\0c\r\nbroken line\r\n: no name\r\nX\0Y: z\r\n\tcontinued\r\n"
                      "From: f@example.org\r\nTo: t@example.org"s);
    EXPECT_EQ(scanned.subject, " a b c");
    EXPECT_EQ(scanned.from, " f@example.org");
    EXPECT_EQ(scanned.to, " t@example.org");
    EXPECT_FALSE(scanned.complete);
    EXPECT_EQ(scanned.transportHeaders.find('\0'), std::string::npos);
    EXPECT_TRUE(scanned.transportHeaders.starts_with("Subject: a\rb c\r\nbroken line\r\n: no name\r\nX Y: z\r\n"));
    EXPECT_TRUE(scanned.transportHeaders.ends_with("To: t@example.org"));
}

} // namespace
} // namespace kvn::outlook
