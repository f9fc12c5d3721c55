// Subject, sender, recipients and transport headers of a message, from its
// header block alone. The header scan keeps only the wanted fields, and only
// those are handed to GMime (to decode encoded words and parse address
// lists): building a whole GMime message of every Received and DKIM line
// would cost several times as much.
#include "platform/core/file_descriptor.h"
#include "platform/outlook/address_split.h"
#include "platform/outlook/gmime_support.h"
#include "platform/outlook/header_block.h"
#include "platform/outlook/message_first_read.h"
#include "platform/outlook/message_parse.h"
#include "platform/outlook/plain_header_values.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kvn::outlook {

namespace detail {

namespace {

// Groups inside groups are not valid mail, but a header may claim them.
constexpr int maxGroupDepth = 8;

void appendMailboxes(InternetAddressList* list, std::vector<MailAddress>& out, int depth = 0)
{
    if (list == nullptr || depth > maxGroupDepth)
        return;
    const int count = internet_address_list_length(list);
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_GROUP(address)) {
            appendMailboxes(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)), out, depth + 1);
            continue;
        }
        if (!INTERNET_ADDRESS_IS_MAILBOX(address))
            continue;
        const char* name = internet_address_get_name(address);
        const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
        MailAddress mailbox{validUtf8(name != nullptr ? name : ""), validUtf8(addr != nullptr ? addr : "")};
        if (!mailbox.name.empty() || !mailbox.address.empty())
            out.push_back(std::move(mailbox));
    }
}

// The mailboxes of an address list, each address read on its own (see
// address_split.h): by the plain reader where it can, else by GMime. Stops
// after `wanted` mailboxes.
std::vector<MailAddress> mailboxesOf(const std::string& list, ParsePath path, std::size_t wanted = SIZE_MAX)
{
    std::vector<MailAddress> mailboxes;
    for (const std::string& address : splitAddressList(list)) {
        if (mailboxes.size() >= wanted)
            break;
        if (path == ParsePath::Fast) {
            if (std::optional<MailAddress> plain = plainMailbox(address)) {
                mailboxes.push_back(std::move(*plain));
                continue;
            }
        }
        GRef<InternetAddressList> parsed(internet_address_list_parse(parserOptions(), address.c_str()));
        appendMailboxes(parsed.get(), mailboxes);
    }
    return mailboxes;
}

// The first mailbox of a sender field: a plain value is read whole, without
// splitting it first.
std::vector<MailAddress> senderMailboxesOf(const std::string& value, ParsePath path)
{
    if (path == ParsePath::Fast) {
        if (std::optional<MailAddress> plain = plainMailbox(value))
            return {std::move(*plain)};
    }
    return mailboxesOf(value, path, 1);
}

std::string decodedText(const std::string& value, ParsePath path)
{
    if (path == ParsePath::Fast) {
        if (std::optional<std::string> plain = plainText(value))
            return std::move(*plain);
    }
    std::string text = validUtf8(takeGString(g_mime_utils_header_decode_text(parserOptions(), value.c_str())));
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

MailAddress senderOf(const ScannedHeaders& fields, ParsePath path)
{
    for (const std::optional<std::string>* field : {&fields.from, &fields.sender, &fields.returnPath}) {
        if (!*field)
            continue;
        if (std::vector<MailAddress> mailboxes = senderMailboxesOf(**field, path); !mailboxes.empty())
            return mailboxes.front();
    }
    return {};
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

constexpr std::string_view calendarMessageClass = "urn:content-classes:calendarmessage";

bool isInvitation(const ScannedHeaders& fields)
{
    return fields.contentClass && sameIgnoringCase(trimmed(*fields.contentClass), calendarMessageClass);
}

// kindOf for a plain media type; empty for text/calendar, whose METHOD
// parameter GMime reads.
std::optional<MessageKind> plainKindOf(const ScannedHeaders& fields, const MediaType& media)
{
    const auto is = [&](std::string_view type, std::string_view subtype) {
        return sameIgnoringCase(media.type, type) && sameIgnoringCase(media.subtype, subtype);
    };
    if (is("text", "calendar"))
        return std::nullopt;
    if (is("multipart", "report"))
        return MessageKind::Report;
    if ((is("multipart", "alternative") || is("multipart", "mixed")) && isInvitation(fields))
        return MessageKind::MeetingRequest;
    return MessageKind::Mail;
}

// See MessageKind. Only the block's own Content-Type and Content-Class are
// read: a calendar inside the body does not make an e-mail a meeting request.
MessageKind kindOf(const ScannedHeaders& fields, ParsePath path)
{
    if (!fields.contentType)
        return MessageKind::Mail;
    if (path == ParsePath::Fast) {
        if (const std::optional<MediaType> media = plainMediaType(*fields.contentType)) {
            if (const std::optional<MessageKind> kind = plainKindOf(fields, *media))
                return *kind;
        }
    }
    GRef<GMimeContentType> type(g_mime_content_type_parse(parserOptions(), fields.contentType->c_str()));
    if (!type)
        return MessageKind::Mail;
    if (g_mime_content_type_is_type(type.get(), "multipart", "report"))
        return MessageKind::Report;
    if (g_mime_content_type_is_type(type.get(), "text", "calendar")) {
        const char* method = g_mime_content_type_get_parameter(type.get(), "method");
        return method != nullptr && !trimmed(method).empty() ? MessageKind::MeetingRequest : MessageKind::Mail;
    }
    const bool invitationShape = g_mime_content_type_is_type(type.get(), "multipart", "alternative")
        || g_mime_content_type_is_type(type.get(), "multipart", "mixed");
    if (invitationShape && isInvitation(fields))
        return MessageKind::MeetingRequest;
    return MessageKind::Mail;
}

// Everything but the recipients; the raw recipient fields stay in `scanned`.
MessageHeaders parseAllButRecipients(ScannedHeaders& scanned, ParsePath path)
{
    ensureGMime();
    MessageHeaders headers;
    if (scanned.subject)
        headers.subject = decodedText(*scanned.subject, path);
    headers.sender = senderOf(scanned, path);
    headers.kind = kindOf(scanned, path);
    headers.transportHeaders = std::move(scanned.transportHeaders);
    headers.cuts = scanned.cuts;
    return headers;
}

void parseRecipientsBy(const RecipientFields& fields, MessageHeaders& headers, ParsePath path)
{
    ensureGMime();
    headers.recipients = mailboxesOf(fields.to, path);
    headers.toCount = headers.recipients.size();
    for (MailAddress& mailbox : mailboxesOf(fields.cc, path))
        headers.recipients.push_back(std::move(mailbox));
    headers.ccCount = headers.recipients.size() - headers.toCount;
    for (MailAddress& mailbox : mailboxesOf(fields.bcc, path))
        headers.recipients.push_back(std::move(mailbox));
}

RecipientFields takeRecipientFields(ScannedHeaders& scanned)
{
    return {std::move(scanned.to), std::move(scanned.cc), std::move(scanned.bcc)};
}

} // namespace

MessageHeaders parseHeaderBlock(ScannedHeaders scanned, ParsePath path)
{
    MessageHeaders headers = parseAllButRecipients(scanned, path);
    parseRecipientsBy(takeRecipientFields(scanned), headers, path);
    return headers;
}

} // namespace detail

void parseRecipients(const RecipientFields& fields, MessageHeaders& headers)
{
    detail::parseRecipientsBy(fields, headers, detail::ParsePath::Fast);
}

std::optional<MessageHeaders> readMessageHeaders(const std::string& path)
{
    std::optional<detail::ScannedHeaders> scanned = detail::readHeaderBlock(path);
    if (!scanned)
        return std::nullopt;
    return detail::parseHeaderBlock(std::move(*scanned));
}

namespace {

// The first read's answer to a scan: the recipients stay raw.
FirstRead firstReadOf(detail::ScannedHeaders scanned)
{
    FirstRead read;
    read.layout = {std::move(scanned.mimeHeaders), scanned.complete, scanned.bodyOffset};
    read.headers = detail::parseAllButRecipients(scanned, detail::ParsePath::Fast);
    read.recipients = detail::takeRecipientFields(scanned);
    return read;
}

} // namespace

std::optional<FirstRead> readOpenedMessage(int fd, std::size_t fileBytes)
{
    std::optional<std::string> body;
    std::optional<detail::ScannedHeaders> scanned = detail::scanHeaderFile(fd, fileBytes, body);
    if (!scanned)
        return std::nullopt;
    FirstRead read = firstReadOf(std::move(*scanned));
    read.body = std::move(body);
    return read;
}

std::optional<FirstRead> readMessageFirst(const std::string& path)
{
    struct stat status { };
    FileDescriptor file(detail::openMessageFile(path, &status));
    if (file.get() < 0)
        return std::nullopt;
    return readOpenedMessage(file.get(), static_cast<std::size_t>(std::max<off_t>(status.st_size, 0)));
}

std::optional<MessageHeaders> readMessageHeaders(const std::string& path, BodyLayout& layout)
{
    std::optional<detail::ScannedHeaders> scanned = detail::readHeaderBlock(path);
    if (!scanned)
        return std::nullopt;
    BodyLayout found{scanned->mimeHeaders, scanned->complete, scanned->bodyOffset};
    MessageHeaders headers = detail::parseHeaderBlock(std::move(*scanned));
    layout = std::move(found);
    return headers;
}

} // namespace kvn::outlook
