// Feeds arbitrary bytes to the Maildir folder-name decoder and the filter
// parser, and checks that every valid UTF-8 name survives encoding.
#include "platform/core/utf8_text.h"
#include "platform/outlook/maildir_filter.h"
#include "platform/outlook/maildir_names.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto path = kvn::outlook::folderPathOfDirectory(text);
    const auto filter = kvn::outlook::parseMailFilter(text);
    const std::string decoded = kvn::outlook::decodeFolderName(text);
    if (kvn::isValidUtf8(text) && kvn::outlook::decodeFolderName(kvn::outlook::encodeFolderName(text)) != text)
        std::abort();
    return path.size() + decoded.size() + (filter ? 1 : 0) == static_cast<std::size_t>(-1) ? 1 : 0;
}
