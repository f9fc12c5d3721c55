// Feeds arbitrary header blocks to the streaming header scan, in one piece,
// in pieces of changing sizes and through the file reader's loop, with the
// production caps and with caps scaled down: the answers must agree, stay
// within every cap and decode to clean UTF-8. Inputs tagged for growth reach
// the caps (see grownInput).
#include "fuzz/mail_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// 64 KiB unless KVN_FUZZ_GROW_BYTES says otherwise: past the field cap of the
// transport headers, and a run stays fast; scripts/fuzz-campaign grows more.
std::size_t maxGrownBytes()
{
    static const std::size_t bytes = [] {
        const char* text = std::getenv("KVN_FUZZ_GROW_BYTES");
        return text != nullptr ? std::strtoull(text, nullptr, 10) : std::size_t{64 * 1024};
    }();
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string message = kvn::fuzz::grownInput(input, maxGrownBytes());
    std::uint32_t seed = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(size, 4); ++i)
        seed = seed * 256 + data[i];
    const std::string problem = kvn::fuzz::checkHeaderScan(message, seed);
    if (!problem.empty()) {
        std::fprintf(stderr, "header scan: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
