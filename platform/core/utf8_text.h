// Unicode-aware text helpers for UTF-8 bytes, the system's text encoding.
// Bytes that are not valid UTF-8 are kept as they are and compare by value,
// so that no input is ever lost or rejected by a comparison.
#pragma once

#include <string>
#include <string_view>

namespace kvn {

// One character of UTF-8 text: a code point, or a byte that begins no valid
// (shortest-form, non-surrogate) sequence, taken alone with isRawByte set.
struct Utf8Character {
    char32_t value;
    bool isRawByte;
    std::size_t length;
};

// The character that starts at text[at]; at must be inside the text.
Utf8Character decodeUtf8At(std::string_view text, std::size_t at);

// True when every byte belongs to a valid UTF-8 sequence.
bool isValidUtf8(std::string_view text);

// Appends the UTF-8 bytes of a code point (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);

// The length of the run of ASCII bytes that text starts with, looked at
// eight bytes at a time while they last.
std::size_t asciiPrefixLength(std::string_view text);

// Every letter in lower case (simple Unicode case mapping).
std::string toLowerUtf8(std::string_view text);

// Whole text against whole text, ignoring letter case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// A text that two texts share exactly when equalsIgnoringCase holds for
// them, for hash look-ups that must answer as a scan with equalsIgnoringCase
// would: each character in lower case as UTF-8, each byte that is not valid
// UTF-8 as 0xFF followed by the byte (0xFF occurs in no UTF-8 text).
std::string caseFoldKey(std::string_view text);

// std::hash of caseFoldKey(text), made without the key's string when the
// text is short ASCII (an address, an entry ID), as it nearly always is.
std::size_t caseFoldHash(std::string_view text);

// Order of the texts in lower case, code point by code point:
// negative when a sorts first, 0 when equal, positive when b sorts first.
int compareIgnoringCase(std::string_view a, std::string_view b);

} // namespace kvn
