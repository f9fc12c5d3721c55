// The class factory a module hands out from DllGetClassObject, and the
// module-wide count that DllCanUnloadNow answers from.
#pragma once

#include "platform/com/unknown.h"

namespace kvn::com {

struct IClassFactory : IUnknown {
    static constexpr Guid iid = guidOf("{00000001-0000-0000-C000-000000000046}");
    using Base = IUnknown;

    // A new object, asked for interface `iid`. Aggregation is not offered:
    // a non-null outer gives CLASS_E_NOAGGREGATION.
    virtual HRESULT CreateInstance(IUnknown* outer, const Guid& interfaceId, void** object) = 0;
    // Keeps the module loaded (true) or lets it go again (false).
    virtual HRESULT LockServer(bool lock) = 0;
};

// The factory of class T (a ComObject with a default constructor).
template <class T> class ClassFactory final : public ComObject<IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, const Guid& interfaceId, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        const ComPtr<T> created = makeObject<T>();
        return created->QueryInterface(interfaceId, object);
    }
    HRESULT LockServer(bool lock) override
    {
        lock ? ++moduleObjectCount : --moduleObjectCount;
        return S_OK;
    }
};

// DllGetClassObject for a module with one class: the factory of T when
// `clsid` is T's class, asked for `interfaceId`.
template <class T>
HRESULT getClassObject(const Guid& classOfT, const Guid& clsid, const Guid& interfaceId, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != classOfT)
        return CLASS_E_CLASSNOTAVAILABLE;
    return makeObject<ClassFactory<T>>()->QueryInterface(interfaceId, object);
}

// DllCanUnloadNow: S_OK when no object of the module lives and no lock is held.
inline HRESULT canUnloadNow() { return moduleObjectCount.load() == 0 ? S_OK : S_FALSE; }

} // namespace kvn::com
