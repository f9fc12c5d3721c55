// Feeds arbitrary bytes to the vCard reader: the cards must be clean UTF-8
// and no larger than the text they came from allows.
#include "fuzz/mail_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string problem = kvn::fuzz::checkVCards(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!problem.empty()) {
        std::fprintf(stderr, "vcard: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
