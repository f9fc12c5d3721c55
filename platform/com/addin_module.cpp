#include "platform/com/addin_module.h"

#include "platform/com/module_file.h"
#include "platform/registry/registry.h"

namespace kvn::com {

HRESULT registerModule(const AddinRegistration& addin, const void* codeInModule)
{
    const std::string path = modulePathOf(codeInModule);
    if (path.empty())
        return E_FAIL;
    return registerAddin(registry::processRegistry(), addin, path);
}

HRESULT unregisterModule(const AddinRegistration& addin) { return unregisterAddin(registry::processRegistry(), addin); }

} // namespace kvn::com
