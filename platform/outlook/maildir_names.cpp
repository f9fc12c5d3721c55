// Dovecot's Maildir++ folder-name encoding: modified UTF-7 plus "\xx" escapes.
#include "platform/outlook/maildir_names.h"

#include "platform/core/hex_digit.h"
#include "platform/core/utf8_text.h"

#include <cstdint>
#include <optional>

namespace kvn::outlook {
namespace {

constexpr char escapeChar = '\\';
constexpr char separator = '.';
constexpr std::string_view base64Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,";

// Code points of UTF-8 text; a byte that starts no valid sequence stands for
// itself (as Latin-1), so that every name can be written.
std::vector<std::uint32_t> codePoints(std::string_view text)
{
    std::vector<std::uint32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Character character = decodeUtf8At(text, i);
        points.push_back(static_cast<std::uint32_t>(character.value));
        i += character.length;
    }
    return points;
}

void appendBase64Run(std::string& out, const std::vector<std::uint16_t>& units)
{
    out += '&';
    std::uint32_t bits = 0;
    int count = 0;
    for (std::uint16_t unit : units) {
        bits = (bits << 16) | unit;
        count += 16;
        while (count >= 6) {
            count -= 6;
            out += base64Alphabet[(bits >> count) & 0x3F];
        }
    }
    if (count > 0)
        out += base64Alphabet[(bits << (6 - count)) & 0x3F];
    out += '-';
}

void appendUtf16(std::vector<std::uint16_t>& units, std::uint32_t point)
{
    if (point < 0x10000) {
        units.push_back(static_cast<std::uint16_t>(point));
        return;
    }
    point -= 0x10000;
    units.push_back(static_cast<std::uint16_t>(0xD800 + (point >> 10)));
    units.push_back(static_cast<std::uint16_t>(0xDC00 + (point & 0x3FF)));
}

std::string toModifiedUtf7(std::string_view name)
{
    std::string out;
    std::vector<std::uint16_t> run;
    for (std::uint32_t point : codePoints(name)) {
        if (point >= 0x20 && point <= 0x7E) {
            if (!run.empty()) {
                appendBase64Run(out, run);
                run.clear();
            }
            out += point == '&' ? std::string("&-") : std::string(1, static_cast<char>(point));
            continue;
        }
        appendUtf16(run, point);
    }
    if (!run.empty())
        appendBase64Run(out, run);
    return out;
}

std::optional<std::string> decodeBase64Run(std::string_view run)
{
    std::vector<std::uint16_t> units;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : run) {
        auto value = base64Alphabet.find(c);
        if (value == std::string_view::npos)
            return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 16) {
            count -= 16;
            units.push_back(static_cast<std::uint16_t>((bits >> count) & 0xFFFF));
        }
    }
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t unit = units[i];
        bool highSurrogate = unit >= 0xD800 && unit < 0xDC00;
        if (highSurrogate && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            appendUtf8(out, static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00u)));
            ++i;
            continue;
        }
        if (unit >= 0xD800 && unit < 0xE000)
            return std::nullopt;
        appendUtf8(out, static_cast<char32_t>(unit));
    }
    return out;
}

std::optional<std::string> fromModifiedUtf7(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        auto end = text.find('-', i + 1);
        if (end == std::string_view::npos)
            return std::nullopt;
        if (end == i + 1) {
            out += '&';
        } else {
            auto decoded = decodeBase64Run(text.substr(i + 1, end - i - 1));
            if (!decoded)
                return std::nullopt;
            out += *decoded;
        }
        i = end;
    }
    return out;
}

bool needsEscape(char c, bool first) { return c == separator || c == '/' || c == escapeChar || (first && c == '~'); }

} // namespace

std::string encodeFolderName(std::string_view name)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string utf7 = toModifiedUtf7(name);
    std::string out;
    for (std::size_t i = 0; i < utf7.size(); ++i) {
        char c = utf7[i];
        if (!needsEscape(c, i == 0)) {
            out += c;
            continue;
        }
        auto byte = static_cast<unsigned char>(c);
        out += escapeChar;
        out += hex[byte >> 4];
        out += hex[byte & 0xF];
    }
    return out;
}

std::string decodeFolderName(std::string_view encoded)
{
    std::string unescaped;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == escapeChar && i + 2 < encoded.size() && hexDigitValue(encoded[i + 1]) >= 0
            && hexDigitValue(encoded[i + 2]) >= 0) {
            unescaped += static_cast<char>(hexDigitValue(encoded[i + 1]) * 16 + hexDigitValue(encoded[i + 2]));
            i += 2;
            continue;
        }
        unescaped += encoded[i];
    }
    auto decoded = fromModifiedUtf7(unescaped);
    return decoded ? *decoded : unescaped;
}

std::string folderDirectoryName(const std::vector<std::string>& path)
{
    std::string name;
    for (const auto& level : path)
        name += separator + encodeFolderName(level);
    return name;
}

std::vector<std::string> folderPathOfDirectory(std::string_view directoryName)
{
    std::vector<std::string> path;
    if (directoryName.size() < 2 || directoryName[0] != separator || directoryName == "..")
        return path;
    std::size_t start = 1;
    while (start <= directoryName.size()) {
        auto end = directoryName.find(separator, start);
        if (end == std::string_view::npos)
            end = directoryName.size();
        if (end == start)
            return {}; // "..A" or "A." names no folder
        path.push_back(decodeFolderName(directoryName.substr(start, end - start)));
        start = end + 1;
    }
    return path;
}

} // namespace kvn::outlook
