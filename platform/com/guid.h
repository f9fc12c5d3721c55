// The 128-bit identifiers of classes, interfaces and type libraries, and
// their registry form "{6A22F8F8-E4D5-4B36-9F95-488CF112DFBC}".
#pragma once

#include "platform/core/hex_digit.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvn::com {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend bool operator==(const Guid&, const Guid&) = default;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hex digits.
std::string formatGuid(const Guid& guid);

namespace detail {
// The `digits` hex digits at `at`, or -1 when one is not a hex digit.
constexpr std::int64_t hexNumber(std::string_view text, std::size_t at, std::size_t digits)
{
    std::int64_t number = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = hexDigitValue(text[at + i]);
        if (digit < 0)
            return -1;
        number = number * 16 + digit;
    }
    return number;
}
} // namespace detail

// The braced form, digits of either case; empty for anything else (no
// braces, wrong lengths, other characters, text around it).
constexpr std::optional<Guid> parseGuid(std::string_view text)
{
    if (text.size() != 38 || text.front() != '{' || text.back() != '}')
        return std::nullopt;
    for (const std::size_t dash : {9u, 14u, 19u, 24u})
        if (text[dash] != '-')
            return std::nullopt;
    const std::int64_t data1 = detail::hexNumber(text, 1, 8);
    const std::int64_t data2 = detail::hexNumber(text, 10, 4);
    const std::int64_t data3 = detail::hexNumber(text, 15, 4);
    if (data1 < 0 || data2 < 0 || data3 < 0)
        return std::nullopt;
    Guid guid{
        static_cast<std::uint32_t>(data1), static_cast<std::uint16_t>(data2), static_cast<std::uint16_t>(data3), {}};
    // The last two groups: 2 bytes, then 6 bytes.
    constexpr std::size_t starts[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (std::size_t i = 0; i < 8; ++i) {
        const std::int64_t byte = detail::hexNumber(text, starts[i], 2);
        if (byte < 0)
            return std::nullopt;
        guid.data4[i] = static_cast<std::uint8_t>(byte);
    }
    return guid;
}

// For constants: a text that is not a well-formed braced GUID does not compile.
consteval Guid guidOf(std::string_view text)
{
    const std::optional<Guid> guid = parseGuid(text);
    if (!guid)
        throw "not a braced GUID";
    return *guid;
}

} // namespace kvn::com
