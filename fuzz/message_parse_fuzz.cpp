// Feeds arbitrary bytes to the message readers: the header block parse and
// the whole-message MIME parse must answer without crashing or leaking.
#include "platform/outlook/header_block.h"
#include "platform/outlook/message_parse.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    const kvn::outlook::MessageHeaders headers
        = kvn::outlook::detail::parseHeaderBlock(kvn::outlook::detail::headerBlockOf(message));
    const kvn::outlook::MessageContent content = kvn::outlook::detail::parseMessageContent(message);
    // The answers are used, so that nothing is optimised away.
    return headers.subject.size() + content.htmlBody.size() == static_cast<std::size_t>(-1) ? 1 : 0;
}
