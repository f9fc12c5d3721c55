// Private to this folder: the message readers working on bytes in memory,
// which the file readers use and the fuzz targets drive directly.
#pragma once

#include "platform/outlook/header_scan.h"
#include "platform/outlook/message_file.h"

#include <string_view>

namespace kvn::outlook::detail {

// The decoded fields of a scanned header block; the transport headers and
// cuts are handed on as the scan kept them.
MessageHeaders parseHeaderBlock(ScannedHeaders scanned);

// Bodies and attachment names of a whole message held in memory.
MessageContent parseMessageContent(std::string_view message);

} // namespace kvn::outlook::detail
