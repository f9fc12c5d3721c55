// The registry root, kept for the whole process.
#include "lists/registry_root.h"

namespace kvn {
namespace {

RegistryRoot& theRoot()
{
    static RegistryRoot root = productRegistryRoot();
    return root;
}

} // namespace

RegistryRoot productRegistryRoot(registry::Registry* registry)
{
    return RegistryRoot{registry::Hive::LocalMachine, {"Software", "Brindlecraft", "KVN"}, registry};
}

void setRegistryRoot(RegistryRoot root) { theRoot() = std::move(root); }

const RegistryRoot& registryRoot() { return theRoot(); }

registry::Registry& rootRegistry()
{
    registry::Registry* registry = theRoot().registry;
    return registry != nullptr ? *registry : registry::processRegistry();
}

std::string rootKeyPath(std::string_view subKey)
{
    const RegistryRoot& root = theRoot();
    std::string path = root.parts[0] + '\\' + root.parts[1] + '\\' + root.parts[2];
    path += '\\';
    path += subKey;
    return path;
}

} // namespace kvn
