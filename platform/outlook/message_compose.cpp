// Writes a new message (the host sends it and files it in Sent Items):
// RFC 5322 headers and a multipart/alternative of text and HTML, via GMime.
#include "platform/core/ole_date.h"
#include "platform/outlook/gmime_support.h"
#include "platform/outlook/html_text.h"
#include "platform/outlook/message_file.h"

#include <algorithm>

namespace kvn::outlook {

namespace {

using detail::GRef;

// Header texts come from the user and from lists: a line break in them would
// let them add headers of their own.
std::string oneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return text;
}

std::string domainOf(const std::string& from)
{
    const std::size_t at = from.rfind('@');
    if (at == std::string::npos)
        return "localhost";
    std::string domain = from.substr(at + 1);
    domain.erase(std::find_if(domain.begin(), domain.end(), [](char c) { return c == '>' || c == ' '; }), domain.end());
    return domain.empty() ? "localhost" : domain;
}

void setDate(GMimeMessage* message, double oleDateNow)
{
    const std::optional<std::tm> local = localFromOleDate(oleDateNow);
    const std::optional<std::int64_t> seconds = local ? calendarTimeFromLocal(*local) : std::nullopt;
    GDateTime* date = seconds ? g_date_time_new_from_unix_local(*seconds) : g_date_time_new_now_local();
    g_mime_message_set_date(message, date);
    g_date_time_unref(date);
}

// A UTF-8 text part. The content is set as bytes: GMime's set_text would
// pick a charset of its own.
GRef<GMimePart> textPart(const char* subtype, const std::string& text)
{
    GRef<GMimePart> part(g_mime_part_new_with_type("text", subtype));
    g_mime_object_set_content_type_parameter(GMIME_OBJECT(part.get()), "charset", "utf-8");
    GRef<GMimeStream> bytes(g_mime_stream_mem_new_with_buffer(text.data(), text.size()));
    GRef<GMimeDataWrapper> content(g_mime_data_wrapper_new_with_stream(bytes.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part.get(), content.get());
    g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
    return part;
}

void addMailboxes(InternetAddressList* list, const std::vector<MailAddress>& recipients)
{
    for (const MailAddress& recipient : recipients) {
        GRef<InternetAddress> mailbox(
            internet_address_mailbox_new(oneLine(recipient.name).c_str(), oneLine(recipient.address).c_str()));
        internet_address_list_add(list, mailbox.get());
    }
}

void addAddresses(GMimeMessage* message, const OutgoingMessage& outgoing)
{
    GRef<InternetAddressList> from(
        internet_address_list_parse(detail::parserOptions(), oneLine(outgoing.from).c_str()));
    if (from)
        internet_address_list_append(g_mime_message_get_from(message), from.get());
    addMailboxes(g_mime_message_get_to(message), outgoing.to);
    addMailboxes(g_mime_message_get_cc(message), outgoing.cc);
}

} // namespace

std::string composeMessage(const OutgoingMessage& outgoing, double oleDateNow)
{
    detail::ensureGMime();
    GRef<GMimeMessage> message(g_mime_message_new(TRUE));
    addAddresses(message.get(), outgoing);
    g_mime_message_set_subject(message.get(), oneLine(outgoing.subject).c_str(), "utf-8");
    setDate(message.get(), oleDateNow);
    char* messageId = g_mime_utils_generate_message_id(domainOf(outgoing.from).c_str());
    g_mime_message_set_message_id(message.get(), messageId);
    g_free(messageId);

    if (outgoing.htmlBody.empty() && !outgoing.textBody.empty()) {
        g_mime_message_set_mime_part(
            message.get(), GMIME_OBJECT(textPart("plain", detail::validUtf8(outgoing.textBody)).get()));
    } else {
        const std::string html = detail::validUtf8(outgoing.htmlBody);
        GRef<GMimeMultipart> alternative(g_mime_multipart_new_with_subtype("alternative"));
        g_mime_multipart_add(alternative.get(), GMIME_OBJECT(textPart("plain", htmlToPlainText(html)).get()));
        g_mime_multipart_add(alternative.get(), GMIME_OBJECT(textPart("html", html).get()));
        g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(alternative.get()));
    }

    GMimeFormatOptions* format = g_mime_format_options_new();
    g_mime_format_options_set_newline_format(format, GMIME_NEWLINE_FORMAT_DOS);
    std::string text = detail::takeGString(g_mime_object_to_string(GMIME_OBJECT(message.get()), format));
    g_mime_format_options_free(format);
    return text;
}

} // namespace kvn::outlook
