// Subject, sender, recipients and transport headers of a message, from its
// header block alone. Only the wanted fields are handed to GMime (to decode
// encoded words and parse address lists): building a whole GMime message of
// every Received and DKIM line would cost several times as much.
#include "platform/outlook/gmime_support.h"
#include "platform/outlook/header_block.h"
#include "platform/outlook/message_parse.h"

#include <algorithm>
#include <cstring>
#include <optional>

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

std::optional<MailAddress> firstMailbox(InternetAddressList* list)
{
    std::vector<MailAddress> mailboxes;
    appendMailboxes(list, mailboxes);
    if (mailboxes.empty())
        return std::nullopt;
    return mailboxes.front();
}

GRef<InternetAddressList> parseAddresses(const std::string& value)
{
    return GRef<InternetAddressList>(internet_address_list_parse(parserOptions(), value.c_str()));
}

// The header fields this file answers from, unfolded, as raw values. Each
// field is taken from its first occurrence; To and Cc occurrences are joined.
struct WantedFields {
    std::optional<std::string> subject;
    std::optional<std::string> from;
    std::optional<std::string> sender;
    std::optional<std::string> returnPath;
    std::string to;
    std::string cc;

    void take(std::string_view name, std::string value)
    {
        const auto is = [&](const char* wanted) {
            return g_ascii_strncasecmp(name.data(), wanted, name.size()) == 0 && std::strlen(wanted) == name.size();
        };
        if (is("Subject") && !subject)
            subject = std::move(value);
        else if (is("From") && !from)
            from = std::move(value);
        else if (is("Sender") && !sender)
            sender = std::move(value);
        else if (is("Return-Path") && !returnPath)
            returnPath = std::move(value);
        else if (is("To"))
            join(to, value);
        else if (is("Cc"))
            join(cc, value);
    }

private:
    static void join(std::string& list, const std::string& value)
    {
        if (!list.empty())
            list += ", ";
        list += value;
    }
};

std::string_view withoutLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

// Splits the block into header fields. A line that starts with a blank
// continues the field before it; a line without a colon in a valid name (an
// mbox "From " line, garbage) is passed over. NUL bytes become spaces, since
// GMime's texts end at the first NUL.
WantedFields wantedFields(std::string_view block)
{
    WantedFields fields;
    std::string name;
    std::string value;
    bool inField = false;
    const auto finish = [&] {
        if (inField)
            fields.take(name, std::move(value));
        inField = false;
    };
    for (std::size_t start = 0; start < block.size();) {
        const std::size_t end = std::min(block.find('\n', start), block.size());
        std::string line(withoutLineEnd(block.substr(start, end + 1 - start)));
        start = end + 1;
        std::replace(line.begin(), line.end(), '\0', ' ');
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            if (inField)
                value += line;
            continue;
        }
        finish();
        const std::size_t colon = line.find(':');
        const bool validName = colon != std::string::npos && colon > 0 && line.find_first_of(" \t") >= colon;
        if (!validName)
            continue;
        name = line.substr(0, colon);
        value = line.substr(colon + 1);
        inField = true;
    }
    finish();
    return fields;
}

std::string decodedText(const std::string& value)
{
    std::string text = validUtf8(takeGString(g_mime_utils_header_decode_text(parserOptions(), value.c_str())));
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

MailAddress senderOf(const WantedFields& fields)
{
    for (const std::optional<std::string>* field : {&fields.from, &fields.sender, &fields.returnPath}) {
        if (!*field)
            continue;
        if (auto mailbox = firstMailbox(parseAddresses(**field).get()))
            return *mailbox;
    }
    return {};
}

} // namespace

MessageHeaders parseHeaderBlock(std::string_view block)
{
    ensureGMime();
    MessageHeaders headers;
    headers.transportHeaders = std::string(block);
    std::replace(headers.transportHeaders.begin(), headers.transportHeaders.end(), '\0', ' ');
    const WantedFields fields = wantedFields(block);
    if (fields.subject)
        headers.subject = decodedText(*fields.subject);
    headers.sender = senderOf(fields);
    appendMailboxes(parseAddresses(fields.to).get(), headers.recipients);
    appendMailboxes(parseAddresses(fields.cc).get(), headers.recipients);
    return headers;
}

} // namespace detail

std::optional<MessageHeaders> readMessageHeaders(const std::string& path)
{
    const std::optional<std::string> block = detail::readHeaderBlock(path);
    if (!block)
        return std::nullopt;
    return detail::parseHeaderBlock(*block);
}

} // namespace kvn::outlook
