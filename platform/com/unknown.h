// The root of every COM-style interface: QueryInterface, AddRef, Release.
//
// An interface is a struct of pure virtual functions deriving from IUnknown
// (or from another interface) with two members: `iid`, its identifier, and
// `Base`, the interface it extends, so that an object answers QueryInterface
// for every interface up the chain. Objects count their references; the last
// Release destroys them. ComPtr holds one counted reference; ComObject gives
// a class its counting and its QueryInterface.
//
// Across a module boundary only interface pointers and the types named in the
// interfaces travel; every object is destroyed by the module that made it.
#pragma once

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace kvn::com {

struct IUnknown {
    static constexpr Guid iid = guidOf("{00000000-0000-0000-C000-000000000046}");

    // S_OK with an AddRef'd pointer in *object, or E_NOINTERFACE with null.
    virtual HRESULT QueryInterface(const Guid& interfaceId, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

// One counted reference to an interface (null allowed).
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) { }
    // Takes a new reference (AddRef).
    explicit ComPtr(T* pointer) : pointer_(pointer)
    {
        if (pointer_)
            pointer_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.pointer_) { }
    // From a pointer to a class or interface that derives from T.
    template <class U>
    requires(std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>) ComPtr(const ComPtr<U>& other)
        : ComPtr(static_cast<T*>(other.get()))
    {
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) { }
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference the caller already owns (no AddRef).
    static ComPtr adopt(T* pointer)
    {
        ComPtr held;
        held.pointer_ = pointer;
        return held;
    }

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    void reset()
    {
        if (T* held = std::exchange(pointer_, nullptr))
            held->Release();
    }
    // Gives up the reference to the caller, who must Release it.
    T* detach() { return std::exchange(pointer_, nullptr); }
    // For out-parameters: drops the reference held and lets the callee fill it.
    T** put()
    {
        reset();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // The object's interface U, or null when it has none.
    template <class U> ComPtr<U> as() const
    {
        ComPtr<U> other;
        if (pointer_)
            (void)pointer_->QueryInterface(U::iid, other.putVoid());
        return other;
    }

private:
    T* pointer_ = nullptr;
};

// Live objects and server locks of the module that compiles this header (a
// module's DllCanUnloadNow answers from it). Each module has its own count.
inline std::atomic<long> moduleObjectCount{0};

// True when `interfaceId` names I or an interface I extends.
template <class I> constexpr bool implementsInterface(const Guid& interfaceId)
{
    if (interfaceId == I::iid)
        return true;
    if constexpr (std::is_same_v<I, IUnknown>)
        return false;
    else
        return implementsInterface<typename I::Base>(interfaceId);
}

// Reference counting and QueryInterface for a class implementing the given
// interfaces. Create with `makeObject<T>(...)`; the object is destroyed by
// its last Release, on whichever thread makes it.
template <class First, class... Rest> class ComObject : public First, public Rest... {
public:
    HRESULT QueryInterface(const Guid& interfaceId, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = interfaceFor(interfaceId);
        if (!*object)
            return queryMore(interfaceId, object);
        AddRef();
        return S_OK;
    }
    std::uint32_t AddRef() override { return static_cast<std::uint32_t>(++references_); }
    std::uint32_t Release() override
    {
        const long left = --references_;
        if (left == 0)
            delete this;
        return static_cast<std::uint32_t>(left);
    }

protected:
    ComObject() { ++moduleObjectCount; }
    virtual ~ComObject() { --moduleObjectCount; }
    // Interfaces the class answers beyond its bases (an event interface it
    // receives through IDispatch, say): fill *object with an AddRef'd pointer.
    virtual HRESULT queryMore(const Guid&, void** object)
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }

private:
    void* interfaceFor(const Guid& interfaceId)
    {
        if (implementsInterface<First>(interfaceId))
            return static_cast<First*>(this);
        void* found = nullptr;
        ((found = found ? found : (implementsInterface<Rest>(interfaceId) ? static_cast<Rest*>(this) : nullptr)), ...);
        return found;
    }

    std::atomic<long> references_{0};
};

// A new object of class T holding the first reference.
template <class T, class... Args> ComPtr<T> makeObject(Args&&... args)
{
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

} // namespace kvn::com
