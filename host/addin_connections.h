// The add-ins of one host run: loaded and connected at start in the order
// they were registered, asked whether they are idle, disconnected at the end.
// The profile's lock is held from before the first add-in connects until
// after the last one disconnected, so that no other program writes the
// profile's data meanwhile. Main thread only.
#pragma once

#include "host/loaded_addin.h"
#include "platform/core/profile_lock.h"
#include "platform/core/ui.h"
#include "platform/registry/registry.h"

#include <memory>
#include <string>
#include <vector>

namespace kvn::host {

// The caption of the host's own messages.
inline constexpr const char* hostCaption = "KVN Host";
// The program name the profile's lock records for the host.
inline constexpr const char* hostProgramName = "korvane";

class AddinConnections {
public:
    AddinConnections(registry::Registry& registry, Ui& ui) : registry_(registry), ui_(ui) { }
    ~AddinConnections() { disconnectAll(); }
    AddinConnections(const AddinConnections&) = delete;
    AddinConnections& operator=(const AddinConnections&) = delete;

    // Loads every add-in that loads at start (a load-once add-in is cleared
    // whether it loaded or not), connects it with ext_cm_Startup, then tells
    // the connected ones OnStartupComplete. An add-in that cannot be loaded
    // gets a message; one whose OnConnection fails showed its own and is let
    // go. True when every add-in loaded and connected (also when there is none).
    bool connectAll(com::IDispatch* application, const std::string& profile);
    // OnBeginShutdown, then OnDisconnection(ext_dm_HostShutdown) for each
    // connected add-in in reverse order; then the modules are let go and the
    // lock released. Safe to call again.
    void disconnectAll();
    // True when no connected add-in has work pending or running.
    bool allIdle();
    std::size_t connectedCount() const { return addins_.size(); }
    // True when connectAll found the profile held by another program (or its
    // data folder unusable) and so loaded nothing.
    bool profileUnavailable() const { return profileUnavailable_; }

private:
    bool takeProfileLock(const std::string& profile);
    void tell(const std::string& text);

    registry::Registry& registry_;
    Ui& ui_;
    std::unique_ptr<ProfileLock> lock_;
    bool profileUnavailable_ = false;
    std::vector<std::unique_ptr<LoadedAddin>> addins_;
};

} // namespace kvn::host
