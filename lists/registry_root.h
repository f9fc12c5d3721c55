// The process-wide registry root: the predefined key and the three path parts
// below which every option is read and written, and the registry that holds
// them. Set once, when the engine is created and before any other thread
// starts; read without a lock afterwards.
#pragma once

#include "platform/registry/registry.h"

#include <array>
#include <string>
#include <string_view>

namespace kvn {

struct RegistryRoot {
    registry::Hive hive = registry::Hive::LocalMachine;
    std::array<std::string, 3> parts;
    registry::Registry* registry = nullptr; // null is the process's registry
};

// The product key HKEY_LOCAL_MACHINE\Software\Brindlecraft\KVN in the given
// registry (null: the process's). The root is this until it is set.
RegistryRoot productRegistryRoot(registry::Registry* registry = nullptr);

void setRegistryRoot(RegistryRoot root);
const RegistryRoot& registryRoot();

// The registry the root names.
registry::Registry& rootRegistry();

// The root's three parts and the sub-key joined with "\"; an empty sub-key is
// the root's key itself.
std::string rootKeyPath(std::string_view subKey);

} // namespace kvn
