// GMime start-up and the text conversions shared by the message readers.
#include "platform/outlook/gmime_support.h"

#include "platform/core/utf8_text.h"

#include <cstdint>
#include <cstring>
#include <mutex>

namespace kvn::outlook::detail {

namespace {

GMimeParserOptions* gOptions = nullptr;

const char* fallbackCharsets[] = {"UTF-8", "windows-1252", nullptr};

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    std::uint32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    std::uint32_t codePoint = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < lowest || codePoint > 0x10FFFF || surrogate)
        return 0;
    return length;
}

// Where the run of ASCII bytes other than NUL that starts at text[at] ends.
// Bodies are mostly ASCII: eight bytes are looked at at once while none has
// its high bit set or is a NUL.
std::size_t nonNulAsciiRunEnd(std::string_view text, std::size_t at)
{
    constexpr std::uint64_t ones = 0x0101010101010101;
    constexpr std::uint64_t highBits = 0x8080808080808080;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, sizeof word);
        // The high bits, and the 0x80 bit of every NUL byte.
        if (((word & highBits) | ((word - ones) & ~word & highBits)) != 0)
            break;
    }
    while (at < text.size() && static_cast<std::uint8_t>(text[at]) < 0x80 && text[at] != '\0')
        ++at;
    return at;
}

bool isValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        i += asciiPrefixLength(text.substr(i));
        if (i == text.size())
            break;
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

bool isUtf8Name(const char* charset)
{
    return g_ascii_strcasecmp(charset, "utf-8") == 0 || g_ascii_strcasecmp(charset, "utf8") == 0
        || g_ascii_strcasecmp(charset, "us-ascii") == 0;
}

std::string convert(std::string_view bytes, const char* from)
{
    gsize written = 0;
    char* converted = g_convert_with_fallback(
        bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", from, "?", nullptr, &written, nullptr);
    if (converted == nullptr)
        return {};
    std::string result(converted, written);
    g_free(converted);
    return result;
}

} // namespace

void ensureGMime()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_mime_init();
        gOptions = g_mime_parser_options_new();
        g_mime_parser_options_set_fallback_charsets(gOptions, fallbackCharsets);
        g_mime_parser_options_set_address_compliance_mode(gOptions, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_rfc2047_compliance_mode(gOptions, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_parameter_compliance_mode(gOptions, GMIME_RFC_COMPLIANCE_LOOSE);
    });
}

GMimeParserOptions* parserOptions()
{
    ensureGMime();
    return gOptions;
}

std::string takeGString(char* text)
{
    if (text == nullptr)
        return {};
    std::string result(text);
    g_free(text);
    return result;
}

std::string validUtf8(std::string_view bytes)
{
    std::string result;
    result.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        // A run of ASCII other than NUL is taken as it is, at once.
        const std::size_t end = nonNulAsciiRunEnd(bytes, i);
        if (end > i) {
            result.append(bytes.substr(i, end - i));
            i = end;
            continue;
        }
        const std::size_t length = utf8SequenceLength(bytes, i);
        if (length == 0) {
            result += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (bytes[i] == '\0')
            result += ' ';
        else
            result.append(bytes.substr(i, length));
        i += length;
    }
    return result;
}

std::string toUtf8(std::string_view bytes, const char* charset)
{
    if (charset != nullptr && *charset != '\0' && !isUtf8Name(charset)) {
        const char* canonical = g_mime_charset_iconv_name(charset);
        std::string converted = convert(bytes, canonical != nullptr ? canonical : charset);
        if (!converted.empty() || bytes.empty())
            return validUtf8(converted);
    }
    if (isValidUtf8(bytes))
        return validUtf8(bytes);
    std::string latin = convert(bytes, "WINDOWS-1252");
    // windows-1252 leaves five bytes undefined; ISO-8859-1 maps every byte.
    if (latin.empty())
        latin = convert(bytes, "ISO-8859-1");
    return validUtf8(latin);
}

} // namespace kvn::outlook::detail
