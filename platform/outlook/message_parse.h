// Private to this folder: the message readers working on bytes in memory,
// which the file readers use and the fuzz targets drive directly.
#pragma once

#include "platform/outlook/message_file.h"

#include <string_view>

namespace kvn::outlook::detail {

// The fields of a header block (as headerBlockOf gives it). transportHeaders
// is the block itself with NUL bytes made spaces.
MessageHeaders parseHeaderBlock(std::string_view block);

// Bodies and attachment names of a whole message held in memory.
MessageContent parseMessageContent(std::string_view message);

} // namespace kvn::outlook::detail
