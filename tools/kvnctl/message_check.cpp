#include "tools/kvnctl/message_check.h"

#include "platform/core/utf8_text.h"

#include <array>

namespace kvn::kvnctl {
namespace {

constexpr std::array<std::string_view, 12> mailFieldNames = {"from", "sender", "to", "cc", "subject", "date",
    "message-id", "received", "return-path", "delivered-to", "mime-version", "reply-to"};

bool isFieldNameByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 33 && byte <= 126 && c != ':';
}

// The field name the line starts with; empty when it starts none.
std::string_view fieldName(std::string_view line)
{
    std::size_t length = 0;
    while (length < line.size() && isFieldNameByte(line[length]))
        ++length;
    // A blank between the name and the colon is obsolete syntax mail still carries.
    std::size_t colon = length;
    while (colon < line.size() && (line[colon] == ' ' || line[colon] == '\t'))
        ++colon;
    return length > 0 && colon < line.size() && line[colon] == ':' ? line.substr(0, length) : std::string_view();
}

bool isMailFieldName(std::string_view name)
{
    for (const std::string_view known : mailFieldNames)
        if (equalsIgnoringCase(name, known))
            return true;
    return false;
}

} // namespace

MessageCheck checkMessageStart(std::string_view start, bool wholeFile)
{
    if (start.empty())
        return {"it is empty", {}};
    MessageCheck check;
    bool mailField = false;
    for (std::size_t at = 0; at < start.size();) {
        const std::size_t end = start.find('\n', at);
        if (end == std::string_view::npos && !wholeFile)
            break; // the line goes on past what was read
        std::string_view line = start.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            break; // the empty line that ends the header block
        mailField = mailField || isMailFieldName(fieldName(line));
        if (end == std::string_view::npos) {
            check.warning = "the file ends inside its header block, in the middle of a line: it may be cut short";
            break;
        }
        at = end + 1;
    }
    if (!mailField)
        check.refusal = "it is not an e-mail: its header block holds none of From, To, Subject, Date, Message-ID "
                        "or Received";
    return check;
}

} // namespace kvn::kvnctl
