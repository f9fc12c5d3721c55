#include "platform/com/system_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kvn::com {
namespace {

std::string environmentOr(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

} // namespace

std::string systemFolder() { return environmentOr("KORVANE_SYSTEM_FOLDER", KVN_INSTALLED_ADDIN_FOLDER); }

std::string regsvr32Program()
{
    const std::string named = environmentOr("KORVANE_REGSVR32", "");
    if (!named.empty())
        return named;
    std::error_code error;
    if (std::filesystem::is_regular_file(KVN_INSTALLED_REGSVR32, error))
        return KVN_INSTALLED_REGSVR32;
    // Not installed system-wide: the one on the user's PATH (scripts/install
    // links it into ~/.local/bin).
    return "regsvr32";
}

} // namespace kvn::com
