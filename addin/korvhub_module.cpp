// The Korvhub module: the class factory of Addin and the registration of the
// add-in, as the host and regsvr32 find them.
#include "addin/addin_object.h"
#include "addin/korvhub_registration.h"
#include "platform/com/class_factory.h"
#include "platform/com/module_exports.h"
#include "platform/com/module_file.h"
#include "platform/registry/registry.h"

using kvn::com::HRESULT;

extern "C" KVN_COM_EXPORT HRESULT DllGetClassObject(
    const kvn::com::Guid* clsid, const kvn::com::Guid* iid, void** object)
{
    if (!clsid || !iid)
        return kvn::com::E_POINTER;
    return kvn::com::getClassObject<kvn::Addin>(kvn::korvhubClsid, *clsid, *iid, object);
}

extern "C" KVN_COM_EXPORT HRESULT DllCanUnloadNow() { return kvn::com::canUnloadNow(); }

extern "C" KVN_COM_EXPORT HRESULT DllRegisterServer()
{
    // The module's own absolute path, wherever it was installed.
    const std::string path = kvn::com::modulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
    if (path.empty())
        return kvn::com::E_FAIL;
    return kvn::com::registerAddin(kvn::registry::processRegistry(), kvn::korvhubRegistration(), path);
}

extern "C" KVN_COM_EXPORT HRESULT DllUnregisterServer()
{
    return kvn::com::unregisterAddin(kvn::registry::processRegistry(), kvn::korvhubRegistration());
}
