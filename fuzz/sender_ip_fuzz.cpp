// Feeds arbitrary header blocks to the sender-IP scan: it must never crash or
// read outside its input, and what it finds must be a dotted quad.
#include "analysis/sender_ip.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string address = kvn::extractSenderIp(std::string_view(reinterpret_cast<const char*>(data), size));
    if (address.empty())
        return 0;
    unsigned a = 0, b = 0, c = 0, d = 0;
    char rest = 0;
    if (std::sscanf(address.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &rest) != 4 || b > 255 || c > 255 || d > 255)
        std::abort();
    return 0;
}
