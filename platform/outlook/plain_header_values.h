// Private to this folder: the header values of ordinary mail read without
// GMime. Most senders write "Name <a@b.example>" and a subject of plain ASCII;
// handing each such value to GMime costs more than the rest of reading the
// header. Each reader here accepts only forms whose reading is not in doubt and
// answers exactly what GMime answers for them; for anything else (encoded
// words, comments, groups, quoted pairs, 8-bit bytes, lists) it answers
// nothing, and the caller asks GMime.
#pragma once

#include "platform/outlook/message_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace kvn::outlook::detail {

// The one mailbox of a From, Sender or Return-Path value of the forms
// "a@b", "<a@b>", "Name Words <a@b>" and "\"Quoted Name\" <a@b>" (blanks around
// it allowed); empty for every other form.
std::optional<MailAddress> plainMailbox(std::string_view value);

// A Subject of printable ASCII and tabs holding no "=?", trimmed of blanks at
// both ends; empty for any other value.
std::optional<std::string> plainText(std::string_view value);

// The type and subtype of a Content-Type value that starts with "type/subtype"
// made of token characters, followed by nothing, blanks or ";"; empty for any
// other value. Case as written.
struct MediaType {
    std::string_view type;
    std::string_view subtype;
};
std::optional<MediaType> plainMediaType(std::string_view value);

// ASCII case-insensitive equality.
bool sameIgnoringCase(std::string_view text, std::string_view wanted);

} // namespace kvn::outlook::detail
