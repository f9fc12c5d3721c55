#include "platform/core/xdg_paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace kvn {
namespace {

// Only absolute paths count; the conventions say a relative one is ignored.
std::string fromEnvironment(const char* name, const std::string& otherwise)
{
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] == '/')
        return value;
    return otherwise;
}

} // namespace

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return "/tmp";
}

std::string xdgDataHome() { return fromEnvironment("XDG_DATA_HOME", homeFolder() + "/.local/share"); }
std::string xdgConfigHome() { return fromEnvironment("XDG_CONFIG_HOME", homeFolder() + "/.config"); }
std::string xdgStateHome() { return fromEnvironment("XDG_STATE_HOME", homeFolder() + "/.local/state"); }
std::string defaultInstallDir() { return xdgDataHome() + "/korvane"; }

} // namespace kvn
