// Making message text valid UTF-8: NUL bytes become blanks and bytes that
// start no valid sequence become U+FFFD, whatever the position of the odd
// byte within the eight bytes the readers look at at once.
#include "platform/outlook/gmime_support.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvn::outlook {
namespace {

// GLib's decoder, one character at a time.
std::string repairedByGlib(const std::string& bytes)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += lead == 0 ? ' ' : bytes[i];
            ++i;
            continue;
        }
        const gunichar c = g_utf8_get_char_validated(bytes.data() + i, static_cast<gssize>(bytes.size() - i));
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(g_utf8_skip[lead]);
        out.append(bytes, i, length);
        i += length;
    }
    return out;
}

TEST(Utf8Repair, EveryOddByteAtEveryPlaceOfALongAsciiText)
{
    // The first four are valid UTF-8; text holding one of the others is no
    // UTF-8, and toUtf8 reads it as windows-1252 instead.
    const std::vector<std::string> odd = {std::string(1, '\0'), "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xFF",
        "\x80", "\xC3", "\xE2\x82", "\xED\xA0\x80", "\xC0\xAF"};
    for (std::size_t kind = 0; kind < odd.size(); ++kind) {
        const std::string& piece = odd[kind];
        for (std::size_t at = 0; at <= 24; ++at) {
            for (std::size_t length : {at, at + 1, at + 7, at + 8, at + 9, std::size_t{40}}) {
                std::string text(std::max(length, at), 'a');
                text.insert(at, piece);
                EXPECT_EQ(detail::validUtf8(text), repairedByGlib(text)) << at << " " << length;
                if (kind < 4) {
                    EXPECT_EQ(detail::toUtf8(text, "utf-8"), repairedByGlib(text)) << at << " " << length;
                }
            }
        }
    }
    EXPECT_EQ(detail::validUtf8(""), "");
    EXPECT_EQ(detail::validUtf8(std::string(17, '\0')), std::string(17, ' '));
}

TEST(Utf8Repair, TextNotInUtf8IsReadAsWindows1252)
{
    // "Grüße" in windows-1252, the fallback for text that is no UTF-8.
    EXPECT_EQ(detail::toUtf8("Gr\xFC\xDF"
                             "e aus einem langen Satz",
                  nullptr),
        "Grüße aus einem langen Satz");
    EXPECT_EQ(detail::toUtf8("Gr\xC3\xBC\xC3\x9F"
                             "e aus einem langen Satz",
                  nullptr),
        "Grüße aus einem langen Satz");
}

} // namespace
} // namespace kvn::outlook
