// Feeds arbitrary bytes to the message readers: the header scan and the
// whole-message MIME parse must answer in clean UTF-8 within their caps,
// without crashing or leaking.
#include "fuzz/mail_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string problem = kvn::fuzz::checkMessage(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!problem.empty()) {
        std::fprintf(stderr, "message: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
