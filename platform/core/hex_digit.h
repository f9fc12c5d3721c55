// The value of one hexadecimal digit, for the parsers of GUIDs, registry
// files and escaped folder names.
#pragma once

namespace kvn {

// 0..15, or -1 when `c` is not a hexadecimal digit (either case).
constexpr int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace kvn
