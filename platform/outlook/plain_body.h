// Private to this folder: the body of a message that is a single text part,
// decoded without GMime. Most mail is one text/plain or text/html part; a
// whole MIME parse of it costs more than reading the file. The reader accepts
// only messages whose reading is not in doubt and answers exactly what the
// GMime parse answers for them; for anything else it answers nothing, and the
// caller parses with GMime.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn::outlook::detail {

// A body no larger than this is read by plainBody; a larger one is left to
// GMime, which reads it in pieces.
inline constexpr std::size_t maxPlainBodyBytes = 1024 * 1024;

// MIME header lines larger than this are not read by the plain readers.
inline constexpr std::size_t maxPlainHeaderBytes = 4096;

// One field of a header block: its name as written and its value unfolded
// (line ends removed, the blank that starts a continuation line kept).
struct PlainField {
    std::string_view name; // points into the lines given
    std::string value;
};

// The fields of header lines (each ending in a line end, no empty line among
// them); empty when a line is no field (no colon, a continuation with no
// field before it) or holds a bare CR.
std::optional<std::vector<PlainField>> plainFieldsOf(std::string_view lines);

// One "name=value" parameter of a Content-Type or Content-Disposition value,
// pointing into the value; a quoted value without its quotes.
struct PlainParameter {
    std::string_view name;
    std::string_view value;
};

// The parameters of the plain "; name=value" form that follow a media type
// or disposition, blanks around each allowed; the value a token or a quoted
// string without backslashes, never empty. Empty when anything else is
// written (comments, stray characters, an unterminated quote).
std::optional<std::vector<PlainParameter>> plainParametersOf(std::string_view rest);

// Whether the charset is one whose text plainBody hands on as it is:
// utf-8, utf8 or us-ascii, in any case.
bool isPlainCharset(std::string_view charset);

// The one text body of a message, in UTF-8, and whether it is the HTML body
// (else the plain text).
struct PlainBody {
    std::string text;
    bool html = false;
};

// Which fields of the MIME header lines (see BodyLayout::mimeHeaders) would
// let plainBody read the message: no Content-Type, or one of text/plain or
// text/html with only charset (utf-8, utf8 or us-ascii), format and delsp
// parameters; no Content-Disposition; a Content-Transfer-Encoding of 7bit,
// 8bit, binary, quoted-printable or base64, or none. Empty for any other
// header, and for a body over maxPlainBodyBytes.
struct PlainLayout {
    enum class Encoding { Identity, QuotedPrintable, Base64 };
    Encoding encoding = Encoding::Identity;
    bool html = false;
    std::string charset; // as written; empty when there is none
};
std::optional<PlainLayout> plainLayoutOf(std::string_view mimeHeaders);

// The encoding a Content-Transfer-Encoding value names (blanks around it
// allowed); empty for any encoding but the ones PlainLayout knows.
std::optional<PlainLayout::Encoding> plainEncodingOf(std::string_view value);

// The body decoded as the layout says; empty when its transfer encoding is
// not plainly well formed (stray "=" in quoted-printable, base64 with gaps
// or bytes after its padding) or it is over maxPlainBodyBytes.
std::optional<PlainBody> plainBody(const PlainLayout& layout, std::string_view body);

} // namespace kvn::outlook::detail
