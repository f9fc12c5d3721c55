// Plain text to HTML and back, for messages that carry only one of the two
// bodies. Both directions take and give UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kvn::outlook {

// The text as an HTML document: &, <, >, " escaped, each line end (LF, CRLF
// or CR) a "<br>" followed by a line end.
std::string plainTextToHtml(std::string_view text);

// The readable text of an HTML document: tags, comments, and the contents of
// head, script and style dropped; entities (named, &#NNN; and &#xHH;)
// decoded; runs of white space made one space; br, p, div, tr, li and
// headings start new lines. Unknown or broken entities are kept as written.
std::string htmlToPlainText(std::string_view html);

} // namespace kvn::outlook
