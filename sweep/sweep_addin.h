// The clean-up add-in's object. It is loaded once, at the host's next start
// after Korvane was removed, to take away what the removed add-in leaves in
// the host: the permanent command bar "KVN", which the host keeps in its
// command-bar store. On connection it deletes that bar from the explorer's
// command bars; on disconnection it has the system's regsvr32 unregister its
// own module (the system folder plus libKorvsweep.so), so that the host
// never knows it again. No message is ever shown: a missing Application
// interface, explorer, command bars or bar leaves nothing to delete, and a
// regsvr32 that cannot be started leaves the add-in registered.
//
// Threads: every method is called on the host's main thread; the
// disconnection blocks it until regsvr32 has ended.
#pragma once

#include "platform/com/extensibility.h"
#include "platform/outlook/outlook_com.h"

#include <string>
#include <vector>

namespace kvn {

class SweepAddin final : public com::ComObject<com::IDTExtensibility2> {
public:
    com::HRESULT Invoke(com::DISPID, std::span<const com::Variant>) override { return com::E_NOTIMPL; }

    // Deletes the bar "KVN" when there is one; always S_OK.
    com::HRESULT OnConnection(com::IDispatch* application, com::ext_ConnectMode connectMode,
        com::IDispatch* addInInstance, com::SafeArray* custom) override;
    // Runs "regsvr32 /u /s <system folder>/libKorvsweep.so" and waits for it;
    // always S_OK.
    com::HRESULT OnDisconnection(com::ext_DisconnectMode removeMode, com::SafeArray* custom) override;
    com::HRESULT OnAddInsUpdate(com::SafeArray*) override { return com::E_NOTIMPL; }
    com::HRESULT OnStartupComplete(com::SafeArray*) override { return com::E_NOTIMPL; }
    com::HRESULT OnBeginShutdown(com::SafeArray*) override { return com::E_NOTIMPL; }

private:
    // The host's Application from connection to disconnection (null when
    // the object passed was none).
    com::ComPtr<outlook::IOutlookApplication> application_;
};

// The program and arguments the disconnection starts: the system's regsvr32
// with "/u", "/s" and the module's expected path, which is one argument even
// when it holds spaces, as no shell splits it.
struct SelfUnregistration {
    std::string program;
    std::vector<std::string> arguments;
};
SelfUnregistration selfUnregistration();

} // namespace kvn
