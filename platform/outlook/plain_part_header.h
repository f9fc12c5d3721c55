// Private to this folder: the MIME header of one entity of a multipart
// message (the message itself or one of its parts), read without GMime for
// the plain multipart reader. It accepts only headers whose reading is not in
// doubt; for anything else it answers nothing, and the message goes to GMime.
#pragma once

#include "platform/outlook/plain_body.h"

#include <optional>
#include <string>
#include <string_view>

namespace kvn::outlook::detail {

// What the MIME header of one entity (the message or one part) says.
struct PlainPartHeader {
    bool multipart = false;
    std::string boundary;
    bool html = false; // a text/html leaf
    bool plainText = false; // a text/plain leaf
    std::string charset;
    PlainLayout::Encoding encoding = PlainLayout::Encoding::Identity;
    std::string fileName;
    bool attachment = false; // Content-Disposition: attachment
};

// What the header lines (each ending in a line end, no empty line among
// them) say. Without Content-Type the entity is a text/plain leaf. A leaf's
// file name is the Content-Disposition filename, else the Content-Type name.
// Empty unless the lines are printable ASCII with field names of letters,
// digits and dashes, each of Content-Type, Content-Disposition and
// Content-Transfer-Encoding comes at most once, and they hold:
// - Content-Type: a multipart/mixed, alternative or related with a plain
//   boundary and only the boundary, type, start and charset parameters; or a
//   leaf type other than message/* with only the charset, name, format,
//   delsp, reply-type and method parameters;
// - Content-Disposition: inline or attachment, with only the filename, size
//   and creation-, modification- and read-date parameters (none on a
//   multipart);
// - Content-Transfer-Encoding: one plainEncodingOf knows (an identity one on
//   a multipart);
// each parameter once, with a value that holds no encoded word, no blank at
// either end and no tab or double blank. Lines over maxPlainHeaderBytes are
// not read.
std::optional<PlainPartHeader> plainPartHeaderOf(std::string_view lines);

// Whether the text is a boundary the plain reader takes: 1 to 70 of the
// characters MIME allows in one, without blanks.
bool isPlainBoundary(std::string_view text);

} // namespace kvn::outlook::detail
