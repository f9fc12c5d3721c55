// Feeds arbitrary bytes to the Maildir folder-name decoder and the filter
// parser, and checks that every valid UTF-8 name survives encoding.
#include "platform/outlook/maildir_filter.h"
#include "platform/outlook/maildir_names.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Well-formed UTF-8 without surrogates or overlong forms.
bool validUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1
            : (lead >> 5) == 0x6         ? 2
            : (lead >> 4) == 0xE         ? 3
            : (lead >> 3) == 0x1E        ? 4
                                         : 0;
        if (length == 0 || i + length > text.size())
            return false;
        std::uint32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            point = (point << 6) | (next & 0x3Fu);
        }
        static constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000))
            return false;
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto path = kvn::outlook::folderPathOfDirectory(text);
    const auto filter = kvn::outlook::parseMailFilter(text);
    const std::string decoded = kvn::outlook::decodeFolderName(text);
    if (validUtf8(text) && kvn::outlook::decodeFolderName(kvn::outlook::encodeFolderName(text)) != text)
        std::abort();
    return path.size() + decoded.size() + (filter ? 1 : 0) == static_cast<std::size_t>(-1) ? 1 : 0;
}
