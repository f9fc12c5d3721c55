#include "platform/flash/news_player_registration.h"

namespace kvn {
namespace {

constexpr const char* description = "Korvane news player";

} // namespace

std::string versionedNewsPlayerProgId(int version)
{
    return std::string(newsPlayerProgId) + "." + std::to_string(version);
}

bool registerNewsPlayer(registry::Registry& registry)
{
    using registry::Hive;
    const std::string progId = newsPlayerProgId;
    const std::string versioned = versionedNewsPlayerProgId();
    return registry.setValue(Hive::ClassesRoot, progId, "", registry::stringValue(description))
        && registry.setValue(Hive::ClassesRoot, progId + "\\CurVer", "", registry::stringValue(versioned))
        && registry.setValue(Hive::ClassesRoot, versioned, "", registry::stringValue(description));
}

bool unregisterNewsPlayer(registry::Registry& registry)
{
    using registry::Hive;
    const bool versionedRemoved = registry.deleteKey(Hive::ClassesRoot, versionedNewsPlayerProgId());
    const bool progIdRemoved = registry.deleteKey(Hive::ClassesRoot, newsPlayerProgId);
    return versionedRemoved || progIdRemoved;
}

} // namespace kvn
