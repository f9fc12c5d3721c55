// The kind of item a message file is, from its header block alone, and the
// Bcc recipients a stored message keeps; on the classification corpus and on
// hostile header blocks.
#include "platform/outlook/header_scan.h"
#include "platform/outlook/message_file.h"
#include "platform/outlook/message_parse.h"

#include <gtest/gtest.h>

#include <string>

namespace kvn::outlook {
namespace {

MessageKind kindOfFile(const std::string& name)
{
    const std::optional<MessageHeaders> headers
        = readMessageHeaders(std::string(KVN_TEST_DATA_DIR) + "/classify/" + name);
    EXPECT_TRUE(headers.has_value()) << name;
    return headers ? headers->kind : MessageKind::Mail;
}

MessageKind kindOf(const std::string& headerBlock, const detail::HeaderScanLimits& limits = {})
{
    return detail::parseHeaderBlock(detail::scanHeaders(headerBlock, limits)).kind;
}

TEST(MessageKind, ReportsAndMeetingRequestsAreToldFromTheirHeaderBlock)
{
    EXPECT_EQ(kindOfFile("delivery-report.eml"), MessageKind::Report);
    EXPECT_EQ(kindOfFile("read-report.eml"), MessageKind::Report) << "type names ignore letter case";
    EXPECT_EQ(kindOfFile("meeting-invitation.eml"), MessageKind::MeetingRequest);
    EXPECT_EQ(kindOfFile("calendar-cancel.eml"), MessageKind::MeetingRequest) << "a folded, quoted METHOD";
    EXPECT_EQ(kindOfFile("calendar-attached.eml"), MessageKind::Mail) << "a calendar file attached to an e-mail";
    for (const char* name : {"ham-friend.eml", "multipart-attachments.eml", "spam-html-only.eml", "no-from.eml"})
        EXPECT_EQ(kindOfFile(name), MessageKind::Mail) << name;
}

TEST(MessageKind, OnlyTheTopLevelFieldsAsTheyStandDecide)
{
    EXPECT_EQ(kindOf("Content-Type: text/calendar\n\n"), MessageKind::Mail) << "no METHOD: a calendar file";
    EXPECT_EQ(kindOf("Content-Type: text/calendar; method=\"\"\n\n"), MessageKind::Mail);
    EXPECT_EQ(kindOf("Content-Type: text/calendar; METHOD=reply\n\n"), MessageKind::MeetingRequest);
    EXPECT_EQ(kindOf("Content-Type: text/calendar; method*=us-ascii''REQUEST\n\n"), MessageKind::MeetingRequest);
    EXPECT_EQ(kindOf("Content-Type: multipart/alternative; boundary=x\n\n"), MessageKind::Mail)
        << "an alternative without the calendar class";
    EXPECT_EQ(kindOf("Content-Class: URN:content-classes:CalendarMessage \nContent-Type: multipart/mixed; "
                     "boundary=x\n\n"),
        MessageKind::MeetingRequest);
    EXPECT_EQ(
        kindOf("Content-Class: urn:content-classes:calendarmessage\nContent-Type: text/plain\n\n"), MessageKind::Mail);
    EXPECT_EQ(kindOf("Content-Class: urn:content-classes:calendarmessage\n\n"), MessageKind::Mail);
    EXPECT_EQ(kindOf("Content-Class: urn:content-classes:message\nContent-Type: multipart/alternative; b=x\n\n"),
        MessageKind::Mail);
    EXPECT_EQ(kindOf("Content-Type: multipart/report (bounce); report-type=delivery-status\n\n"), MessageKind::Report);
    EXPECT_EQ(kindOf("Content-Type:\n multipart/report;\n\tboundary=\"b\"\n\n"), MessageKind::Report) << "folded";
    EXPECT_EQ(kindOf("Content-Type: multipart/reports\n\n"), MessageKind::Mail);
    EXPECT_EQ(kindOf("Content-Type: text/plain\nContent-Type: multipart/report\n\n"), MessageKind::Mail)
        << "the first Content-Type counts";
    EXPECT_EQ(kindOf("Subject: x\n\nContent-Type: multipart/report\n"), MessageKind::Mail) << "in the body";
    EXPECT_EQ(kindOf("X-Content-Type: multipart/report\n\n"), MessageKind::Mail);
}

TEST(MessageKind, HostileFieldsLeaveAMailItem)
{
    const std::string huge(200 * 1024, 'a');
    EXPECT_EQ(kindOf("Content-Type: multipart/report; x=\"" + huge + "\"\n\n"), MessageKind::Report)
        << "cut to its start, which names the type";
    EXPECT_EQ(kindOf("Content-Type: text/calendar; x=\"" + huge + "\"; method=REQUEST\n\n"), MessageKind::Mail)
        << "a METHOD after the cut is not seen";
    EXPECT_EQ(kindOf("Content-Type: text/calendar; method=\"REQ\n"), MessageKind::MeetingRequest)
        << "truncated inside the quotes";
    EXPECT_EQ(kindOf("Content-Type: multipart/rep"), MessageKind::Mail) << "the file ends inside the field";
    EXPECT_EQ(kindOf("Content-Type: \xff\xfe/\x80; method=\xe9\n\n"), MessageKind::Mail);
    static constexpr char withNul[] = "Content-Type: multipart/re\0port\n\n";
    EXPECT_EQ(kindOf(std::string(withNul, sizeof withNul - 1)), MessageKind::Mail);
    EXPECT_EQ(kindOf("Content-Type: ;;;===\"\"\"((((\n\n"), MessageKind::Mail);
    EXPECT_EQ(kindOf("Content-Type: (((((((((((multipart/report\n\n"), MessageKind::Mail);
    EXPECT_EQ(kindOf("Content-Class: \xc3(" + huge + "\nContent-Type: multipart/alternative\n\n"), MessageKind::Mail);
    EXPECT_EQ(kindOf("Content-Type: multipart/report\n\n", {.kindFieldBytes = 12}), MessageKind::Mail)
        << "cut inside the subtype";
}

TEST(StoredRecipients, BccFollowsToAndCcAndSharesTheirCap)
{
    const MessageHeaders sent = detail::parseHeaderBlock(
        detail::scanHeaders("From: me@home.example\nBcc: Boss <boss@work.example>, ann@x.example\nTo: tom@x.example\n"
                            "Cc: kim@x.example\nBcc: last@x.example\n\nbody\n"));
    ASSERT_EQ(sent.recipients.size(), 5u);
    EXPECT_EQ(sent.recipients[0].address, "tom@x.example");
    EXPECT_EQ(sent.recipients[1].address, "kim@x.example");
    EXPECT_EQ(sent.recipients[2].name, "Boss");
    EXPECT_EQ(sent.recipients[2].address, "boss@work.example");
    EXPECT_EQ(sent.recipients[4].address, "last@x.example");
    EXPECT_EQ(sent.toCount, 1u);
    EXPECT_EQ(sent.ccCount, 1u);

    const detail::ScannedHeaders cut = detail::scanHeaders(
        "To: aa@x.example\nBcc: bb@x.example, cc@x.example\nFrom: f@x.example\n\n", {.recipientBytes = 35});
    EXPECT_EQ(cut.to, " aa@x.example");
    EXPECT_EQ(cut.bcc, " bb@x.example") << "the address the cut went through is dropped";
    EXPECT_TRUE(cut.cuts.recipients);
    EXPECT_EQ(cut.from, " f@x.example");
}

} // namespace
} // namespace kvn::outlook
