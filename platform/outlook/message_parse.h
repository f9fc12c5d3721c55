// Private to this folder: the message readers working on bytes in memory,
// which the file readers use and the fuzz targets drive directly.
#pragma once

#include "platform/outlook/header_scan.h"
#include "platform/outlook/message_file.h"

#include <cstddef>
#include <string_view>

namespace kvn::outlook::detail {

// How values are read: Fast reads the plain forms of ordinary mail itself and
// hands everything else to GMime; GMimeOnly hands every value to GMime. Both
// give the same answers; GMimeOnly is what the plain readers are checked
// against.
enum class ParsePath { Fast, GMimeOnly };

// The decoded fields of a scanned header block; the transport headers and
// cuts are handed on as the scan kept them.
MessageHeaders parseHeaderBlock(ScannedHeaders scanned, ParsePath path = ParsePath::Fast);

// The content with the body it lacks made from the other one (see
// MessageContent). With textLeftOut, a text body that would be made from the
// HTML is left empty and *textLeftOut set instead.
MessageContent withBothBodies(MessageContent content, bool* textLeftOut = nullptr);

// Bodies and attachment names of a whole message held in memory.
MessageContent parseMessageContent(std::string_view message, ParsePath path = ParsePath::Fast);

// How many message bodies GMime has parsed in this process, by any thread
// (parseMessageContent and readMessageContent alike): lets tests see that
// the plain readers, not GMime, read the ordinary shapes of mail.
std::size_t gmimeBodyParseCount();

} // namespace kvn::outlook::detail
