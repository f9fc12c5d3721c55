// Feeds arbitrary bytes to the hive file reader: it must never crash, and what
// it keeps must be written so that it reads back whole and unchanged.
#include "platform/registry/reg_file_parser.h"
#include "platform/registry/reg_file_writer.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kvn::registry;
    constexpr std::string_view hive = "HKEY_LOCAL_MACHINE";
    const ParsedHive first = parseHive(std::string_view(reinterpret_cast<const char*>(data), size), hive);
    const std::string written = writeHive(first.tree, hive);
    const ParsedHive second = parseHive(written, hive);
    if (second.problem || writeHive(second.tree, hive) != written)
        std::abort();
    return 0;
}
