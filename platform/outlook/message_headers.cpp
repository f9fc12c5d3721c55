// Subject, sender, recipients and transport headers of a message, from its
// header block alone. The header scan keeps only the wanted fields, and only
// those are handed to GMime (to decode encoded words and parse address
// lists): building a whole GMime message of every Received and DKIM line
// would cost several times as much.
#include "platform/outlook/address_split.h"
#include "platform/outlook/gmime_support.h"
#include "platform/outlook/header_block.h"
#include "platform/outlook/message_parse.h"

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

// The mailboxes of an address list, each address parsed by GMime on its own
// (see address_split.h); stops after `wanted` mailboxes.
std::vector<MailAddress> mailboxesOf(const std::string& list, std::size_t wanted = SIZE_MAX)
{
    std::vector<MailAddress> mailboxes;
    for (const std::string& address : splitAddressList(list)) {
        if (mailboxes.size() >= wanted)
            break;
        GRef<InternetAddressList> parsed(internet_address_list_parse(parserOptions(), address.c_str()));
        appendMailboxes(parsed.get(), mailboxes);
    }
    return mailboxes;
}

std::string decodedText(const std::string& value)
{
    std::string text = validUtf8(takeGString(g_mime_utils_header_decode_text(parserOptions(), value.c_str())));
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

MailAddress senderOf(const ScannedHeaders& fields)
{
    for (const std::optional<std::string>* field : {&fields.from, &fields.sender, &fields.returnPath}) {
        if (!*field)
            continue;
        if (std::vector<MailAddress> mailboxes = mailboxesOf(**field, 1); !mailboxes.empty())
            return mailboxes.front();
    }
    return {};
}

bool equalsIgnoringCase(std::string_view text, std::string_view wanted)
{
    return text.size() == wanted.size() && g_ascii_strncasecmp(text.data(), wanted.data(), text.size()) == 0;
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

constexpr std::string_view calendarMessageClass = "urn:content-classes:calendarmessage";

// See MessageKind. Only the block's own Content-Type and Content-Class are
// read: a calendar inside the body does not make an e-mail a meeting request.
MessageKind kindOf(const ScannedHeaders& fields)
{
    if (!fields.contentType)
        return MessageKind::Mail;
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
    if (invitationShape && fields.contentClass
        && equalsIgnoringCase(trimmed(*fields.contentClass), calendarMessageClass))
        return MessageKind::MeetingRequest;
    return MessageKind::Mail;
}

} // namespace

MessageHeaders parseHeaderBlock(ScannedHeaders scanned)
{
    ensureGMime();
    MessageHeaders headers;
    if (scanned.subject)
        headers.subject = decodedText(*scanned.subject);
    headers.sender = senderOf(scanned);
    headers.recipients = mailboxesOf(scanned.to);
    headers.toCount = headers.recipients.size();
    for (MailAddress& mailbox : mailboxesOf(scanned.cc))
        headers.recipients.push_back(std::move(mailbox));
    headers.ccCount = headers.recipients.size() - headers.toCount;
    for (MailAddress& mailbox : mailboxesOf(scanned.bcc))
        headers.recipients.push_back(std::move(mailbox));
    headers.kind = kindOf(scanned);
    headers.transportHeaders = std::move(scanned.transportHeaders);
    headers.cuts = scanned.cuts;
    return headers;
}

} // namespace detail

std::optional<MessageHeaders> readMessageHeaders(const std::string& path)
{
    std::optional<detail::ScannedHeaders> scanned = detail::readHeaderBlock(path);
    if (!scanned)
        return std::nullopt;
    return detail::parseHeaderBlock(std::move(*scanned));
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
