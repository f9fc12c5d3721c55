#include "platform/com/system_folder.h"

#include <cstdlib>

namespace kvn::com {
namespace {

std::string environmentOr(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

} // namespace

std::string systemFolder() { return environmentOr("KORVANE_SYSTEM_FOLDER", KVN_INSTALLED_ADDIN_FOLDER); }

std::string regsvr32Program() { return environmentOr("KORVANE_REGSVR32", KVN_INSTALLED_REGSVR32); }

} // namespace kvn::com
