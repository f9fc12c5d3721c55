#include "analysis/sender_ip.h"

#include <array>
#include <cstdlib>
#include <optional>

// The scan walks from dot to dot. A candidate address starts at a dot with a
// number just before it, each following piece between two dots adds an octet,
// and after the third octet up to three characters after the third dot give
// the fourth. A piece that cannot be an octet drops the candidate, and the
// scan resumes at the next dot. Numbers are read as atoi reads them, on short
// slices of the text, which is what makes "[10.0.0.1]" and "(10.0.0.1)" work
// without any knowledge of the header's grammar.

namespace kvn {
namespace {

// atoi of a slice: leading blanks, an optional sign, decimal digits.
long valueOf(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > 100000000)
            break; // far past any octet; keeps the arithmetic bounded
    }
    return negative ? -value : value;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Where `lowerNeedle` first occurs in text, ASCII letters compared without
// case.
std::size_t findIgnoringCase(std::string_view text, std::string_view lowerNeedle)
{
    for (std::size_t at = 0; at + lowerNeedle.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < lowerNeedle.size() && lowerAscii(text[at + i]) == lowerNeedle[i])
            ++i;
        if (i == lowerNeedle.size())
            return at;
    }
    return std::string_view::npos;
}

// The first octet: the number ending just before the dot, read from the last
// three characters, else the last two, else the last one.
long firstOctetBefore(std::string_view text, std::size_t dot)
{
    for (std::size_t width = 3; width >= 1; --width) {
        const std::size_t from = dot >= width ? dot - width : 0;
        const long value = valueOf(text.substr(from, dot - from));
        if (value != 0)
            return value;
    }
    return 0;
}

// The fourth octet, read the same way from the characters after the third
// dot; empty when it cannot be one.
std::optional<long> fourthOctetAfter(std::string_view text, std::size_t dot)
{
    long value = 0;
    std::string_view last;
    for (std::size_t width = 3; width >= 1; --width) {
        last = text.substr(dot + 1, width);
        value = valueOf(last);
        if (value != 0)
            break;
    }
    if (value == 0 && last != "0")
        return std::nullopt;
    // A negative number is no octet; the sign would print as a broken address.
    if (value < 0 || value > 255)
        return std::nullopt;
    return value;
}

std::string dottedQuad(const std::array<long, 3>& octets, long fourth)
{
    return std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." + std::to_string(octets[2]) + "."
        + std::to_string(fourth);
}

} // namespace

std::string extractSenderIp(std::string_view headers)
{
    if (headers.empty())
        return {};
    // Case matters only in finding the field: the address is read from
    // digits, dots, blanks and signs.
    const std::size_t start = findIgnoringCase(headers, "received: from");
    if (start == std::string_view::npos)
        return {};
    const std::string_view text = headers.substr(start);

    std::size_t lastDot = 0;
    constexpr std::size_t noCandidate = std::string_view::npos;
    std::size_t candidateDot = noCandidate;
    std::size_t count = 0;
    std::array<long, 3> octets{};
    const auto dropCandidate = [&] {
        candidateDot = noCandidate;
        count = 0;
    };

    for (;;) {
        if (count == 3) {
            if (const std::optional<long> fourth = fourthOctetAfter(text, candidateDot))
                return dottedQuad(octets, *fourth);
            dropCandidate();
        }
        const std::size_t dot = text.find('.', lastDot + 1);
        if (dot == std::string_view::npos)
            return {};
        lastDot = dot;
        if (candidateDot == noCandidate) {
            // A leading "0" never starts an address; nor does a negative number.
            const long first = firstOctetBefore(text, dot);
            if (first > 0) {
                octets[0] = first;
                candidateDot = dot;
                count = 1;
            }
            continue;
        }
        const std::string_view piece = text.substr(candidateDot + 1, dot - candidateDot - 1);
        const long octet = valueOf(piece);
        if ((octet == 0 && piece != "0") || octet < 0 || octet > 255) {
            dropCandidate();
            continue;
        }
        octets[count++] = octet;
        candidateDot = dot;
    }
}

} // namespace kvn
