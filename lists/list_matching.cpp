#include "lists/list_matching.h"

#include "platform/core/utf8_text.h"

#include <array>

namespace kvn {
namespace {

// Leading decimal digits with an optional sign, as the stored bounds were
// always read; anything after them is ignored. Wraps like unsigned arithmetic.
std::uint32_t leadingNumber(std::string_view part)
{
    std::size_t at = 0;
    bool negative = false;
    if (at < part.size() && (part[at] == '-' || part[at] == '+'))
        negative = part[at++] == '-';
    std::uint32_t value = 0;
    for (; at < part.size() && part[at] >= '0' && part[at] <= '9'; ++at)
        value = value * 10u + static_cast<std::uint32_t>(part[at] - '0');
    return negative ? 0u - value : value;
}

} // namespace

bool wordOccursIn(const ListEntry& entry, std::string_view lowerCaseText)
{
    return lowerCaseText.find(entry.value) != std::string_view::npos;
}

bool wordMatches(const ListEntry& entry, std::string_view text) { return wordOccursIn(entry, toLowerUtf8(text)); }

bool fileTypeMatches(const ListEntry& entry, std::string_view fileName)
{
    const std::size_t dot = fileName.find_last_of('.');
    const std::string_view extension = dot == std::string_view::npos ? fileName : fileName.substr(dot + 1);
    return equalsIgnoringCase(entry.value, extension);
}

std::optional<std::uint32_t> ipBoundValue(std::string_view dottedText)
{
    std::array<std::string_view, 4> parts;
    std::string_view rest = dottedText;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t dot = rest.find('.');
        if (dot == std::string_view::npos)
            return std::nullopt;
        parts[i] = rest.substr(0, dot);
        rest.remove_prefix(dot + 1);
    }
    parts[3] = rest;
    std::uint32_t value = 0;
    for (const std::string_view part : parts)
        value = value * 256u + leadingNumber(part);
    return value;
}

std::optional<std::uint32_t> parseDottedQuad(std::string_view text)
{
    std::uint32_t value = 0;
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.')
                return std::nullopt;
            ++at;
        }
        const std::size_t start = at;
        std::uint32_t number = 0;
        while (at < text.size() && at - start < 3 && text[at] >= '0' && text[at] <= '9')
            number = number * 10u + static_cast<std::uint32_t>(text[at++] - '0');
        if (at == start || number > 255)
            return std::nullopt;
        value = value * 256u + number;
    }
    if (at != text.size())
        return std::nullopt;
    return value;
}

std::string formatDottedQuad(std::uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "."
        + std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

bool ipRangeContains(const ListEntry& range, std::uint32_t address)
{
    const std::optional<std::uint32_t> lower = ipBoundValue(range.value);
    const std::optional<std::uint32_t> upper = ipBoundValue(range.extra);
    const bool aboveLower = !lower || *lower <= address;
    const bool belowUpper = upper && address <= *upper;
    return aboveLower && belowUpper;
}

} // namespace kvn
