// Reading one message file of a Maildir (headers, bodies, attachment names)
// and writing a new message; the MIME work is done here and nowhere else.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kvn::outlook {

// One mailbox: the display name decoded to UTF-8 (RFC 2047), and the address
// as written (local@domain). Either may be empty: a bare address has no name
// (callers that show a sender name fall back to the address themselves).
struct MailAddress {
    std::string name;
    std::string address;
};

// Which answers of a header block were cut to keep memory bounded. A field
// cut short keeps its start; the fields after it are still read.
struct HeaderCuts {
    bool subject = false; // a Subject over 64 KiB
    bool sender = false; // a From, Sender or Return-Path over 1 MiB
    bool recipients = false; // To, Cc and Bcc over 4 MiB together: the first recipients are kept
    bool transportHeaders = false; // see MessageHeaders::transportHeaders
    bool block = false; // a block over 64 MiB: nothing after that is seen
};

// What kind of item a message file is, from its header block alone:
// - Report: a delivery or read report, a top-level multipart/report;
// - MeetingRequest: a top-level text/calendar with a METHOD parameter, or a
//   top-level multipart/alternative or multipart/mixed (an invitation that
//   carries the calendar as one of its parts) whose Content-Class is
//   urn:content-classes:calendarmessage, the class mail programs give it;
// - Mail: everything else, also an e-mail that merely attaches a calendar.
enum class MessageKind { Mail, Report, MeetingRequest };

// What the header block of a message says. Only the header block is read:
// the file up to its first empty line (the whole file when it has none), in
// one pass that keeps only the fields answered here, each under a cap, so
// that a huge field hides nothing after it. Text is UTF-8; bytes of unknown
// charsets are kept readable.
struct MessageHeaders {
    std::string subject; // decoded (RFC 2047)
    MailAddress sender; // first mailbox of From; else Sender; else Return-Path
    std::vector<MailAddress> recipients; // To, then Cc, then Bcc; groups expanded
    std::size_t toCount = 0; // the first toCount recipients came from To,
    std::size_t ccCount = 0; // the next ccCount from Cc, the rest from Bcc
    MessageKind kind = MessageKind::Mail;
    // The raw header block, line ends as in the file, the empty line that ends
    // it left out, NUL bytes made spaces; at most about 1 MiB of it: every
    // Received field is kept (up to 256 KiB of them), the other fields in file
    // order while they fit in 768 KiB, each field cut to 16 KiB. Each place
    // where bytes were cut or left out holds a line "X-KVN-Omitted: N bytes".
    std::string transportHeaders;
    HeaderCuts cuts;
};

// Empty when the file cannot be opened or read (vanished, no permission).
// A file without any usable header still answers, with empty fields.
std::optional<MessageHeaders> readMessageHeaders(const std::string& path);

// Where a message's body starts and the MIME fields that say how it is
// built, as a header read found them. A Maildir message file is never
// rewritten, only renamed, so this holds for the message under any later
// name. Lets the bodies be parsed without reading the header block again.
struct BodyLayout {
    std::string mimeHeaders;
    bool complete = false; // the empty line that ends the block was seen
    std::size_t bodyOffset = 0;
};

// readMessageHeaders that also fills `layout` (not touched on failure).
std::optional<MessageHeaders> readMessageHeaders(const std::string& path, BodyLayout& layout);

// The raw To, Cc and Bcc values of a header block, as the header read kept
// them (each field's occurrences joined with ", ", under the recipient cap).
struct RecipientFields {
    std::string to;
    std::string cc;
    std::string bcc;
};

// Sets the recipients, toCount and ccCount of `headers` from the raw fields,
// exactly as readMessageHeaders sets them.
void parseRecipients(const RecipientFields& fields, MessageHeaders& headers);

// The bodies and attachment names of a message, parsed on demand.
// htmlBody: the text/html part in UTF-8, or the plain text rendered as HTML
// (escaped, <br> for line ends) when there is none. textBody: the text/plain
// part, or the text of the HTML (tags dropped, entities decoded) when there is
// none. attachmentNames: every part with a file name (Content-Disposition
// filename or Content-Type name, RFC 2231/2047 decoded), in message order.
// An attached message (message/rfc822) is one attachment, named by its file
// name or else by its subject + ".eml"; its own parts are not listed. Bodies
// longer than 8 MiB are cut there, at most 4096 names are listed, and MIME
// nesting deeper than 32 levels is not descended into. The header block is
// read as readMessageHeaders reads it (a block over 64 MiB, or one without
// its empty line, leaves no body to read), and at most 128 MiB of the body
// are looked at.
struct MessageContent {
    std::string htmlBody;
    std::string textBody;
    std::vector<std::string> attachmentNames;
};

// Empty when the file cannot be opened or read.
std::optional<MessageContent> readMessageContent(const std::string& path);

// readMessageContent of a message whose layout an earlier header read found:
// the same answer, without reading the header block again.
std::optional<MessageContent> readMessageContent(const std::string& path, const BodyLayout& layout);

// The same, except that a message with only an HTML body gets no text body
// made from it: textBody stays empty and textLeftOut is set true (it is set
// false otherwise), and htmlToPlainText(htmlBody) is that text when someone
// asks. Making the text costs as much as reading the message, and a reader
// of the HTML alone never needs it. `textLeftOut` is not touched on failure.
std::optional<MessageContent> readMessageContent(const std::string& path, const BodyLayout& layout, bool& textLeftOut);

// A message to be sent: a From address (may hold a display name,
// "Name <a@b>"), its To and Cc recipients, a subject and an HTML body.
struct OutgoingMessage {
    std::string from;
    std::vector<MailAddress> to;
    std::vector<MailAddress> cc;
    std::string subject;
    std::string htmlBody;
    // Used only when htmlBody is empty: the message is then one text/plain part.
    std::string textBody;
};

// An RFC 5322 message with CRLF line ends: Date (from oleDateNow, local
// time), From, To, Cc (when there are any), Subject (encoded words where needed), Message-ID,
// MIME-Version, and a multipart/alternative of a text/plain rendering and the
// text/html body, both UTF-8 quoted-printable; with no HTML body, the text
// body alone as text/plain, UTF-8 quoted-printable.
std::string composeMessage(const OutgoingMessage& message, double oleDateNow);

} // namespace kvn::outlook
