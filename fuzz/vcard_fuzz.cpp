// Feeds arbitrary bytes to the vCard reader.
#include "platform/outlook/vcard.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto cards = kvn::outlook::parseVCards(std::string_view(reinterpret_cast<const char*>(data), size));
    return cards.size() == static_cast<std::size_t>(-1) ? 1 : 0;
}
