// Late-bound calls: IDispatch reduced to the one thing this system uses it
// for, a member called by its number (DISPID) with a list of arguments.
// Event sources call their sinks through it, and the objects handed to an
// add-in (the application it connects to) are IDispatch as well.
#pragma once

#include "platform/com/unknown.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace kvn::com {

using DISPID = std::int32_t;

// One argument. Interface pointers are borrowed for the call (a callee that
// keeps one takes its own reference); a bool* is an in/out flag such as an
// event's Cancel.
using Variant = std::variant<std::monostate, bool, std::int32_t, double, std::string, IUnknown*, bool*>;

struct IDispatch : IUnknown {
    static constexpr Guid iid = guidOf("{00020400-0000-0000-C000-000000000046}");
    using Base = IUnknown;

    // Calls member `member` with the arguments in their declared order.
    // E_NOTIMPL for a member the object does not have.
    virtual HRESULT Invoke(DISPID member, std::span<const Variant> arguments) = 0;
};

// The interface pointer of argument `index`, or null when there is none.
inline IUnknown* unknownArgument(std::span<const Variant> arguments, std::size_t index)
{
    if (index >= arguments.size())
        return nullptr;
    const auto* pointer = std::get_if<IUnknown*>(&arguments[index]);
    return pointer ? *pointer : nullptr;
}

} // namespace kvn::com
