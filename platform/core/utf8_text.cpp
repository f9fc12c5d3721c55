#include "platform/core/utf8_text.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <locale.h>
#include <wctype.h>

namespace kvn {
namespace {

using Character = Utf8Character;

Character decodeAt(std::string_view text, std::size_t at)
{
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(at);
    if (lead < 0x80)
        return {lead, false, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {lead, true, 1};
    }
    if (at + length > text.size())
        return {lead, true, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byteAt(at + i);
        if ((next & 0xC0) != 0x80)
            return {lead, true, 1};
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {lead, true, 1};
    return {value, false, length};
}

// The Unicode case tables of the C library's UTF-8 locale, whatever locale
// the process runs in. Without such a locale only ASCII letters fold.
locale_t unicodeLocale()
{
    static const locale_t locale = [] {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
            if (locale_t found = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr)))
                return found;
        }
        return static_cast<locale_t>(nullptr);
    }();
    return locale;
}

char32_t lowerOf(char32_t value)
{
    if (value < 0x80)
        return value >= 'A' && value <= 'Z' ? value + ('a' - 'A') : value;
    const locale_t locale = unicodeLocale();
    if (locale == static_cast<locale_t>(nullptr))
        return value;
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(value), locale));
}

// The value a character sorts by: raw bytes sort by their byte value below
// every real character above ASCII, which keeps the order total and stable.
std::int64_t sortKeyOf(const Character& character)
{
    if (character.isRawByte)
        return -1000 + static_cast<std::int64_t>(character.value);
    return static_cast<std::int64_t>(lowerOf(character.value));
}

// A byte with an ASCII capital lowered (a comparison the compiler vectorises).
char lowerAsciiByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return static_cast<char>(byte + (static_cast<unsigned char>(byte - 'A') < 26 ? 'a' - 'A' : 0));
}

// out gets text's leading ASCII run lower-cased (a loop over plain bytes,
// which the compiler vectorises); answers where the run ended.
std::size_t appendLowerAsciiPrefix(std::string& out, std::string_view text)
{
    const std::size_t run = asciiPrefixLength(text);
    const std::size_t from = out.size();
    out.resize(from + run);
    const char* source = text.data();
    char* target = out.data() + from;
    for (std::size_t i = 0; i < run; ++i)
        target[i] = lowerAsciiByte(source[i]);
    return run;
}

} // namespace

std::size_t asciiPrefixLength(std::string_view text)
{
    constexpr std::uint64_t highBits = 0x8080808080808080ULL;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, 8);
        if ((word & highBits) != 0)
            break;
    }
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80)
        ++at;
    return at;
}

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

Utf8Character decodeUtf8At(std::string_view text, std::size_t at) { return decodeAt(text, at); }

bool isValidUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const Character character = decodeAt(text, at);
        if (character.isRawByte)
            return false;
        at += character.length;
    }
    return true;
}

std::string toLowerUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        at += appendLowerAsciiPrefix(out, text.substr(at));
        if (at == text.size())
            break;
        const Character character = decodeAt(text, at);
        if (character.isRawByte)
            out += text[at];
        else
            appendUtf8(out, lowerOf(character.value));
        at += character.length;
    }
    return out;
}

std::string caseFoldKey(std::string_view text)
{
    std::string key;
    key.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        at += appendLowerAsciiPrefix(key, text.substr(at));
        if (at == text.size())
            break;
        const Character character = decodeAt(text, at);
        if (character.isRawByte) {
            key += '\xFF';
            key += text[at];
        } else {
            appendUtf8(key, lowerOf(character.value));
        }
        at += character.length;
    }
    return key;
}

std::size_t caseFoldHash(std::string_view text)
{
    constexpr std::size_t shortText = 256;
    if (text.size() <= shortText && asciiPrefixLength(text) == text.size()) {
        char key[shortText];
        for (std::size_t i = 0; i < text.size(); ++i)
            key[i] = lowerAsciiByte(text[i]);
        return std::hash<std::string_view>{}(std::string_view(key, text.size()));
    }
    return std::hash<std::string_view>{}(caseFoldKey(text));
}

int compareIgnoringCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    // Addresses are nearly always ASCII: compare those bytes without decoding.
    while (i < a.size() && j < b.size()) {
        const auto left = static_cast<unsigned char>(a[i]);
        const auto right = static_cast<unsigned char>(b[j]);
        if (left >= 0x80 || right >= 0x80)
            break;
        const int leftLower = left >= 'A' && left <= 'Z' ? left + ('a' - 'A') : left;
        const int rightLower = right >= 'A' && right <= 'Z' ? right + ('a' - 'A') : right;
        if (leftLower != rightLower)
            return leftLower < rightLower ? -1 : 1;
        ++i;
        ++j;
    }
    while (i < a.size() && j < b.size()) {
        const Character left = decodeAt(a, i);
        const Character right = decodeAt(b, j);
        const std::int64_t leftKey = sortKeyOf(left);
        const std::int64_t rightKey = sortKeyOf(right);
        if (leftKey != rightKey)
            return leftKey < rightKey ? -1 : 1;
        i += left.length;
        j += right.length;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) { return compareIgnoringCase(a, b) == 0; }

} // namespace kvn
