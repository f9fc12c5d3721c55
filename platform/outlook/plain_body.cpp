// The MIME fields are read strictly: one field of each name, parameters of
// the plain "; name=value" form, no comments. Transfer encodings are decoded
// only when every byte has one reading: quoted-printable whose every "=" is
// a soft line break or two hex digits, base64 of whole groups of four with
// its padding at the very end. What GMime would make of anything else is
// GMime's to say.
#include "platform/outlook/plain_body.h"

#include "platform/outlook/gmime_support.h"
#include "platform/outlook/plain_header_values.h"

#include <array>
#include <vector>

namespace kvn::outlook::detail {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::optional<std::vector<PlainField>> plainFieldsOf(std::string_view lines)
{
    std::vector<PlainField> fields;
    while (!lines.empty()) {
        const std::size_t end = lines.find('\n');
        std::string_view line = lines.substr(0, end);
        lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.find('\r') != std::string_view::npos)
            return std::nullopt;
        if (line.front() == ' ' || line.front() == '\t') {
            if (fields.empty())
                return std::nullopt;
            fields.back().value += line;
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        fields.push_back({line.substr(0, colon), std::string(line.substr(colon + 1))});
    }
    return fields;
}

namespace {

bool isParameterNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

bool isValueChar(char c)
{
    return c > ' ' && c <= '~' && c != '"' && c != '(' && c != ')' && c != '<' && c != '>' && c != '@' && c != ','
        && c != ';' && c != ':' && c != '\\' && c != '/' && c != '[' && c != ']' && c != '?' && c != '=';
}

} // namespace

bool isPlainCharset(std::string_view charset)
{
    return sameIgnoringCase(charset, "utf-8") || sameIgnoringCase(charset, "utf8")
        || sameIgnoringCase(charset, "us-ascii");
}

std::optional<std::vector<PlainParameter>> plainParametersOf(std::string_view rest)
{
    std::vector<PlainParameter> parameters;
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < rest.size() && isBlank(rest[i]))
            ++i;
    };
    for (;;) {
        skipBlanks();
        if (i == rest.size())
            return parameters;
        if (rest[i++] != ';')
            return std::nullopt;
        skipBlanks();
        const std::size_t nameStart = i;
        while (i < rest.size() && isParameterNameChar(rest[i]))
            ++i;
        const std::string_view name = rest.substr(nameStart, i - nameStart);
        if (name.empty() || i == rest.size() || rest[i++] != '=')
            return std::nullopt;
        std::string_view value;
        if (i < rest.size() && rest[i] == '"') {
            const std::size_t close = rest.find('"', i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            value = rest.substr(i + 1, close - i - 1);
            if (value.find('\\') != std::string_view::npos)
                return std::nullopt;
            i = close + 1;
        } else {
            const std::size_t valueStart = i;
            while (i < rest.size() && isValueChar(rest[i]))
                ++i;
            value = rest.substr(valueStart, i - valueStart);
        }
        if (value.empty())
            return std::nullopt;
        parameters.push_back({name, value});
    }
}

namespace {

// The parameters after the media type: only charset, format and delsp, each
// once. Sets the layout's charset.
bool readParameters(std::string_view rest, PlainLayout& layout)
{
    const std::optional<std::vector<PlainParameter>> parameters = plainParametersOf(rest);
    if (!parameters)
        return false;
    bool seen[3] = {false, false, false};
    for (const auto& [name, value] : *parameters) {
        const std::size_t which = sameIgnoringCase(name, "charset") ? 0
            : sameIgnoringCase(name, "format")                      ? 1
            : sameIgnoringCase(name, "delsp")                       ? 2
                                                                    : 3;
        if (which == 3 || seen[which])
            return false;
        seen[which] = true;
        if (which == 0) {
            if (!isPlainCharset(value))
                return false;
            layout.charset = std::string(value);
        }
    }
    return true;
}

bool readContentType(std::string_view value, PlainLayout& layout)
{
    const std::optional<MediaType> media = plainMediaType(value);
    if (!media || !sameIgnoringCase(media->type, "text"))
        return false;
    if (sameIgnoringCase(media->subtype, "html"))
        layout.html = true;
    else if (!sameIgnoringCase(media->subtype, "plain"))
        return false;
    const char* const rest = media->subtype.data() + media->subtype.size();
    return readParameters(std::string_view(rest, static_cast<std::size_t>(value.data() + value.size() - rest)), layout);
}

} // namespace

std::optional<PlainLayout::Encoding> plainEncodingOf(std::string_view value)
{
    while (!value.empty() && isBlank(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && isBlank(value.back()))
        value.remove_suffix(1);
    if (sameIgnoringCase(value, "7bit") || sameIgnoringCase(value, "8bit") || sameIgnoringCase(value, "binary"))
        return PlainLayout::Encoding::Identity;
    if (sameIgnoringCase(value, "quoted-printable"))
        return PlainLayout::Encoding::QuotedPrintable;
    if (sameIgnoringCase(value, "base64"))
        return PlainLayout::Encoding::Base64;
    return std::nullopt;
}

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> decodeQuotedPrintable(std::string_view body)
{
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '=') {
            out += body[i];
            continue;
        }
        const std::string_view next = body.substr(i + 1, 2);
        if (next.starts_with('\n')) {
            i += 1;
        } else if (next == "\r\n") {
            i += 2;
        } else if (next.size() == 2 && hexValue(next[0]) >= 0 && hexValue(next[1]) >= 0) {
            out += static_cast<char>(hexValue(next[0]) * 16 + hexValue(next[1]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

constexpr std::array<signed char, 256> base64Ranks()
{
    std::array<signed char, 256> ranks{};
    for (auto& rank : ranks)
        rank = -1;
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        ranks[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
    return ranks;
}

std::optional<std::string> decodeBase64(std::string_view body)
{
    static constexpr std::array<signed char, 256> ranks = base64Ranks();
    std::string out;
    out.reserve(body.size() / 4 * 3);
    std::uint32_t group = 0;
    int count = 0;
    int padding = 0;
    for (const char c : body) {
        if (c == '\r' || c == '\n' || isBlank(c))
            continue;
        if (c == '=') {
            // Padding only ends the last group of four.
            if (count + padding < 2)
                return std::nullopt;
            ++padding;
            if (count + padding == 4) {
                out += static_cast<char>(group >> (count == 3 ? 10 : 4));
                if (count == 3)
                    out += static_cast<char>(group >> 2);
                count = 0;
            }
            continue;
        }
        const signed char rank = ranks[static_cast<unsigned char>(c)];
        if (rank < 0 || padding > 0)
            return std::nullopt;
        group = (group << 6) | static_cast<std::uint32_t>(rank);
        if (++count == 4) {
            out += static_cast<char>(group >> 16);
            out += static_cast<char>(group >> 8);
            out += static_cast<char>(group);
            group = 0;
            count = 0;
        }
    }
    if (count != 0 || padding > 2)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<PlainLayout> plainLayoutOf(std::string_view mimeHeaders)
{
    if (mimeHeaders.size() > maxPlainHeaderBytes)
        return std::nullopt;
    const std::optional<std::vector<PlainField>> fields = plainFieldsOf(mimeHeaders);
    if (!fields)
        return std::nullopt;
    PlainLayout layout;
    bool seenType = false;
    bool seenEncoding = false;
    for (const PlainField& field : *fields) {
        if (sameIgnoringCase(field.name, "MIME-Version"))
            continue;
        bool& seen = sameIgnoringCase(field.name, "Content-Type") ? seenType : seenEncoding;
        if (seen)
            return std::nullopt;
        seen = true;
        if (sameIgnoringCase(field.name, "Content-Type")) {
            if (!readContentType(field.value, layout))
                return std::nullopt;
        } else {
            const std::optional<PlainLayout::Encoding> encoding
                = sameIgnoringCase(field.name, "Content-Transfer-Encoding") ? plainEncodingOf(field.value)
                                                                            : std::nullopt;
            if (!encoding)
                return std::nullopt; // a Content-Disposition, or an encoding not read here
            layout.encoding = *encoding;
        }
    }
    return layout;
}

std::optional<PlainBody> plainBody(const PlainLayout& layout, std::string_view body)
{
    if (body.size() > maxPlainBodyBytes)
        return std::nullopt;
    std::optional<std::string> decoded;
    switch (layout.encoding) {
    case PlainLayout::Encoding::Identity:
        decoded = std::string(body);
        break;
    case PlainLayout::Encoding::QuotedPrintable:
        decoded = decodeQuotedPrintable(body);
        break;
    case PlainLayout::Encoding::Base64:
        decoded = decodeBase64(body);
        break;
    }
    if (!decoded)
        return std::nullopt;
    return PlainBody{toUtf8(*decoded, layout.charset.empty() ? nullptr : layout.charset.c_str()), layout.html};
}

} // namespace kvn::outlook::detail
