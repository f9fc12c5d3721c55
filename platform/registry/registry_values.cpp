// The registry's small shared pieces: hive names, value helpers, the folder
// and the process's registry.
#include "platform/core/xdg_paths.h"
#include "platform/registry/registry.h"

#include <cstdlib>

namespace kvn::registry {

std::string_view hiveName(Hive hive)
{
    switch (hive) {
    case Hive::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case Hive::CurrentUser:
        return "HKEY_CURRENT_USER";
    case Hive::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    }
    return "HKEY_LOCAL_MACHINE";
}

Value dwordValue(std::uint32_t number)
{
    std::string bytes(4, '\0');
    for (std::size_t i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return Value{static_cast<std::uint32_t>(ValueType::Dword), std::move(bytes)};
}

Value stringValue(std::string_view text)
{
    return Value{static_cast<std::uint32_t>(ValueType::String), std::string(text)};
}

std::string defaultRegistryFolder()
{
    const char* folder = std::getenv("KORVANE_REGISTRY");
    if (folder != nullptr && folder[0] != '\0')
        return folder;
    return xdgConfigHome() + "/korvane/registry";
}

Registry& processRegistry()
{
    static const std::unique_ptr<Registry> registry = openFileRegistry(defaultRegistryFolder());
    return *registry;
}

} // namespace kvn::registry
