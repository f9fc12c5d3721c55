// The add-in connection interface the host calls on every add-in, in its
// slot order, with the connect and disconnect modes as the host passes them.
#pragma once

#include "platform/com/dispatch.h"

#include <vector>

namespace kvn::com {

// Why the add-in is being connected.
enum ext_ConnectMode : std::int32_t {
    ext_cm_AfterStartup = 0, // loaded while the host runs
    ext_cm_Startup = 1, // loaded as the host starts
    ext_cm_External = 2,
    ext_cm_CommandLine = 3,
};

// Why the add-in is being disconnected.
enum ext_DisconnectMode : std::int32_t {
    ext_dm_HostShutdown = 0, // the host is closing
    ext_dm_UserClosed = 1, // the user removed the add-in
};

// The host's "custom" array; this host always passes an empty one.
using SafeArray = std::vector<Variant>;

struct IDTExtensibility2 : IDispatch {
    static constexpr Guid iid = guidOf("{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}");
    using Base = IDispatch;

    // `application` is the host's Application; `addInInstance` the add-in's
    // own entry in the host. S_OK when the add-in is connected.
    virtual HRESULT OnConnection(
        IDispatch* application, ext_ConnectMode connectMode, IDispatch* addInInstance, SafeArray* custom)
        = 0;
    virtual HRESULT OnDisconnection(ext_DisconnectMode removeMode, SafeArray* custom) = 0;
    virtual HRESULT OnAddInsUpdate(SafeArray* custom) = 0;
    virtual HRESULT OnStartupComplete(SafeArray* custom) = 0;
    virtual HRESULT OnBeginShutdown(SafeArray* custom) = 0;
};

} // namespace kvn::com
