// UTF-16LE text of the export format, with raw bytes carried as lone surrogates.
#include "platform/registry/reg_text.h"

#include "platform/core/utf8_text.h"

#include <cstdint>

namespace kvn::registry {
namespace {

constexpr std::uint32_t rawByteBase = 0xDC00; // raw bytes 0x80..0xFF sit at U+DC80..U+DCFF

void appendUnit(std::string& out, std::uint32_t unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

std::uint32_t unitAt(std::string_view units, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(units[at]))
        | static_cast<std::uint32_t>(static_cast<unsigned char>(units[at + 1])) << 8;
}

bool isHigh(std::uint32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool isLow(std::uint32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

} // namespace

std::string toUtf16le(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::size_t at = 0; at < bytes.size();) {
        const Utf8Character character = decodeUtf8At(bytes, at);
        at += character.length;
        const auto code = static_cast<std::uint32_t>(character.value);
        if (character.isRawByte) {
            appendUnit(out, rawByteBase + (code & 0xFF));
        } else if (code >= 0x10000) {
            appendUnit(out, 0xD800 + ((code - 0x10000) >> 10));
            appendUnit(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            appendUnit(out, code);
        }
    }
    return out;
}

std::string fromUtf16le(std::string_view units, LoneSurrogates lone)
{
    std::string out;
    out.reserve(units.size() / 2);
    for (std::size_t at = 0; at + 1 < units.size(); at += 2) {
        std::uint32_t code = unitAt(units, at);
        if (isHigh(code) && at + 3 < units.size() && isLow(unitAt(units, at + 2))) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unitAt(units, at + 2) - 0xDC00);
            at += 2;
        } else if (isHigh(code) || isLow(code)) {
            if (lone == LoneSurrogates::AsRawBytes && code >= rawByteBase + 0x80 && code <= rawByteBase + 0xFF) {
                out += static_cast<char>(code & 0xFF);
                continue;
            }
            code = 0xFFFD;
        }
        appendUtf8(out, static_cast<char32_t>(code));
    }
    return out;
}

} // namespace kvn::registry
