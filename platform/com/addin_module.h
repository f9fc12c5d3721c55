// The four exports of a module that serves one add-in class, so that a module
// states only its class and its registration:
//
//   KVN_ADDIN_MODULE(kvn::Addin, kvn::korvhubRegistration)
//
// DllGetClassObject hands out the factory of the class named by the
// registration's CLSID; DllCanUnloadNow answers from the module's object
// count; DllRegisterServer writes the registration into the process's
// registry with the module's own absolute path, wherever it was installed;
// DllUnregisterServer removes it again.
#pragma once

#include "platform/com/addin_registration.h"
#include "platform/com/class_factory.h"
#include "platform/com/module_exports.h"

namespace kvn::com {

// Registers `addin` for the module that holds the code at `codeInModule` (one
// of its own functions). E_FAIL when the module's path cannot be told;
// otherwise what registerAddin answers.
HRESULT registerModule(const AddinRegistration& addin, const void* codeInModule);

// Unregisters `addin`; what unregisterAddin answers.
HRESULT unregisterModule(const AddinRegistration& addin);

} // namespace kvn::com

#define KVN_ADDIN_MODULE(AddinClass, registrationOf)                                                                   \
    extern "C" KVN_COM_EXPORT kvn::com::HRESULT DllGetClassObject(                                                     \
        const kvn::com::Guid* clsid, const kvn::com::Guid* iid, void** object)                                         \
    {                                                                                                                  \
        if (!clsid || !iid)                                                                                            \
            return kvn::com::E_POINTER;                                                                                \
        return kvn::com::getClassObject<AddinClass>(registrationOf().clsid, *clsid, *iid, object);                     \
    }                                                                                                                  \
    extern "C" KVN_COM_EXPORT kvn::com::HRESULT DllCanUnloadNow() { return kvn::com::canUnloadNow(); }                 \
    extern "C" KVN_COM_EXPORT kvn::com::HRESULT DllRegisterServer()                                                    \
    {                                                                                                                  \
        return kvn::com::registerModule(registrationOf(), reinterpret_cast<const void*>(&DllRegisterServer));          \
    }                                                                                                                  \
    extern "C" KVN_COM_EXPORT kvn::com::HRESULT DllUnregisterServer()                                                  \
    {                                                                                                                  \
        return kvn::com::unregisterModule(registrationOf());                                                           \
    }
