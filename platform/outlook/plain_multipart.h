// Private to this folder: the bodies and attachment names of a message whose
// body is an ordinary multipart, read without GMime. Much mail is a
// multipart/alternative of a text and an HTML part, or a multipart/mixed of
// such a body and a few attachments; a whole MIME parse of it costs more than
// reading the file. Like plainBody, the reader accepts only structures whose
// reading is not in doubt and answers exactly what the GMime walk answers for
// them (see MessageContent); for anything else it answers nothing, and the
// caller parses with GMime.
#pragma once

#include "platform/outlook/message_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace kvn::outlook::detail {

// Multiparts nested deeper than this (the top level counting as one) are
// left to GMime.
inline constexpr int maxPlainMultipartDepth = 3;

// What the MIME header lines of a message (see BodyLayout::mimeHeaders) say
// of a body that plainMultipartContent may read: a multipart/mixed,
// multipart/alternative or multipart/related with a boundary made of the
// characters MIME allows (no blanks), only the boundary, type, start and
// charset parameters, no Content-Disposition, and an identity transfer
// encoding or none. Empty for any other header.
struct PlainMultipart {
    std::string boundary;
};
std::optional<PlainMultipart> plainMultipartOf(std::string_view mimeHeaders);

// The bodies and attachment names of the multipart body, as found: the first
// text/html and the first text/plain part (either may be empty; the caller
// completes them with withBothBodies) and every part with a file name, in
// message order. Empty when the body is over maxPlainBodyBytes or holds a NUL
// byte, when its structure is not plainly well formed (a missing or unclean
// delimiter, a part without its empty line, a multipart left open, a
// delimiter line of one multipart inside another, nesting deeper than
// maxPlainMultipartDepth), when a part's header is not read with certainty
// (8-bit bytes, encoded words or RFC 2231 parameters, unknown parameters, a
// field of those read here written twice, a message/* or other multipart
// type), or when a chosen body is in a charset plainBody does not hand on or
// its encoding is not plainly well formed.
std::optional<MessageContent> plainMultipartContent(const PlainMultipart& multipart, std::string_view body);

} // namespace kvn::outlook::detail
