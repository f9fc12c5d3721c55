// Private to the message files of this folder: GMime start-up, ownership of
// GMime objects and text clean-up. No header outside this folder includes it.
#pragma once

#include <gmime/gmime.h>

#include <memory>
#include <string>
#include <string_view>

namespace kvn::outlook::detail {

// Initialises GMime once per process (thread-safe) with the parser options
// this layer reads mail with: raw 8-bit header text that is not UTF-8 is read
// as windows-1252, the usual charset of such mail.
void ensureGMime();

// The parser options set up by ensureGMime().
GMimeParserOptions* parserOptions();

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
// Owns one GObject reference.
template <typename T> using GRef = std::unique_ptr<T, GObjectUnref>;

// Takes ownership of a g_malloc'd C string; null gives "".
std::string takeGString(char* text);

// The bytes as valid UTF-8: invalid sequences become U+FFFD, NUL bytes a space.
std::string validUtf8(std::string_view bytes);

// Bytes of the given charset (empty or unknown: UTF-8 when valid, else
// windows-1252) as valid UTF-8.
std::string toUtf8(std::string_view bytes, const char* charset);

} // namespace kvn::outlook::detail
