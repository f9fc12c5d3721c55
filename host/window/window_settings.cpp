#include "host/window/window_settings.h"

#include "platform/outlook/outlook_bar_store.h"

namespace kvn::host {
namespace {

using registry::Hive;
using registry::ValueType;

// Saved toolkit states are a few hundred bytes; anything far larger was not
// written by the window.
constexpr std::size_t largestState = 64 * 1024;

std::string readValue(registry::Registry& registry, const std::string& key, const char* name, ValueType type)
{
    const auto value = registry.queryValue(Hive::CurrentUser, key, name, largestState);
    if (!value || value->type != static_cast<std::uint32_t>(type))
        return {};
    return value->bytes;
}

} // namespace

std::string windowSettingsKey(std::string_view profile)
{
    return "Software\\Brindlecraft\\KVN Host\\Profiles\\" + std::string(profile) + "\\Window";
}

WindowSettings loadWindowSettings(registry::Registry& registry, std::string_view profile)
{
    const std::string key = windowSettingsKey(profile);
    WindowSettings settings;
    settings.geometry = readValue(registry, key, "Geometry", ValueType::Binary);
    settings.splitters = readValue(registry, key, "Splitters", ValueType::Binary);
    const std::string folder = readValue(registry, key, "LastFolder", ValueType::String);
    if (!folder.empty())
        settings.lastFolder = outlook::parseFolderPath(folder);
    return settings;
}

bool saveWindowSettings(registry::Registry& registry, std::string_view profile, const WindowSettings& settings)
{
    const std::string key = windowSettingsKey(profile);
    const auto binary = static_cast<std::uint32_t>(ValueType::Binary);
    const auto text = static_cast<std::uint32_t>(ValueType::String);
    return registry.createKey(Hive::CurrentUser, key)
        && registry.setValue(Hive::CurrentUser, key, "Geometry", {binary, settings.geometry})
        && registry.setValue(Hive::CurrentUser, key, "Splitters", {binary, settings.splitters})
        && registry.setValue(
            Hive::CurrentUser, key, "LastFolder", {text, outlook::formatFolderPath(settings.lastFolder)});
}

} // namespace kvn::host
