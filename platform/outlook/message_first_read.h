// The first read of a message file by the mail store: the header block and,
// for a small file that one read takes in whole, the body bytes, so that the
// body of an e-mail asked for right after its header (a pass reads an
// unknown sender's) costs no second opening of the file.
#pragma once

#include "platform/outlook/message_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace kvn::outlook {

struct FirstRead {
    // As readMessageHeaders(path, layout) answers, but for the recipients:
    // those stay empty, their raw fields are in `recipients` (parseRecipients
    // sets them). Parsing every address costs more than the rest of the
    // block, and most readers never ask for them.
    MessageHeaders headers;
    BodyLayout layout;
    RecipientFields recipients;
    // The bytes after the header block, when the block is complete and the
    // first read took in the whole file; else empty.
    std::optional<std::string> body;
};

// The first read of the open regular file `fd`, at its start, `fileBytes`
// long by its fstat. Empty when a read fails. The descriptor stays the
// caller's.
std::optional<FirstRead> readOpenedMessage(int fd, std::size_t fileBytes);

// The same for the message file at `path`; empty when it cannot be opened
// or read.
std::optional<FirstRead> readMessageFirst(const std::string& path);

// readMessageContent(path, layout, textLeftOut) of the message whose body a
// first read kept: the same answer when the plain readers can read the body;
// empty when they cannot, and the file is to be read after all.
std::optional<MessageContent> readKeptBody(std::string_view body, const BodyLayout& layout, bool& textLeftOut);

} // namespace kvn::outlook
