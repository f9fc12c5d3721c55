// Text in the registry export format's UTF-16LE form, as string values are
// kept in "hex(1):" and "hex(2):" data and as a whole file may be encoded.
//
// In memory a string value is the bytes its writer passed, which are UTF-8
// text as a rule but need not be: a value may hold control characters, NULs
// or bytes that are no UTF-8 at all. So that every such value survives a trip
// through the file, a byte that begins no valid UTF-8 sequence is written as
// the lone surrogate U+DC80 + byte (a code unit no text holds on its own),
// and read back as that byte.
#pragma once

#include <string>
#include <string_view>

namespace kvn::registry {

// The UTF-16LE code units of the bytes, each raw byte as its lone surrogate.
std::string toUtf16le(std::string_view bytes);

enum class LoneSurrogates {
    AsRawBytes, // U+DC80..U+DCFF back to the byte toUtf16le made them from
    AsReplacement, // every unpaired surrogate becomes U+FFFD
};

// UTF-8 of the UTF-16LE code units; an odd last byte is dropped.
std::string fromUtf16le(std::string_view units, LoneSurrogates lone);

} // namespace kvn::registry
