// The question a host asks an add-in when it wants to stop as soon as the
// add-in's work is done (a run from a timer or a script): "is anything of
// yours pending or running?". An add-in that does background work offers it
// next to IDTExtensibility2; one that does not is taken as always idle.
#pragma once

#include "platform/com/unknown.h"

namespace kvn::com {

struct IAddinIdle : IUnknown {
    static constexpr Guid iid = guidOf("{5D1C3A0E-7B42-4F0B-9C1E-3F6A2B8D4E71}");
    using Base = IUnknown;

    // S_OK when the add-in has no work pending or running: its start-up has
    // finished and no pass is requested or under way; S_FALSE while it has.
    // Work an event handler asked for counts as pending by the time the
    // handler returns, so a host that raises an event and then asks never
    // sees "idle" before that work ran. Called on the host's main thread,
    // between events; the answer must come at once (no waiting).
    virtual HRESULT IsIdle() = 0;
};

} // namespace kvn::com
