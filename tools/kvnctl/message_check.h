// The first look at a file handed to `kvnctl explain`: does it start like an
// e-mail, so that a picture, an archive or a text file is refused with a
// reason instead of being explained as mail without a sender. The test is
// as lenient as the mail store, which reads the fields of a header block
// around lines that are none (an mbox "From " line, stray text).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kvn::kvnctl {

// How much of a file the look takes in (a header block may go on past it).
inline constexpr std::size_t messageCheckBytes = 64 * 1024;

struct MessageCheck {
    std::string refusal; // why it is no e-mail; empty when it is one
    std::string warning; // what looks wrong with an e-mail all the same; may be empty
};

// `start` is the file's first bytes, all of them when wholeFile. Refused: an
// empty file, and one whose header block (up to its empty line, or the end
// of `start`) holds none of the fields e-mails carry (From, To, Subject,
// Date, Message-ID, Received, ...). Warned of: a header block that ends the
// file in the middle of a line, which is how a message cut short looks.
MessageCheck checkMessageStart(std::string_view start, bool wholeFile);

} // namespace kvn::kvnctl
