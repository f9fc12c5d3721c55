// What draws the host for a person: a window over the host's application
// that runs the main thread's event loop while the add-ins are connected.
// Without one the host waits on its wake-up pipe alone (--headless).
#pragma once

#include "host/host_application.h"
#include "host/sent_items.h"
#include "platform/core/ui.h"
#include "platform/outlook/maildir_store.h"
#include "platform/registry/registry.h"

#include <functional>
#include <string>
#include <vector>

namespace kvn::host {

struct HostViewContext {
    HostApplication& application;
    registry::Registry& registry;
    const std::vector<outlook::StoreConfig>& stores;
    std::string profile;
    // The host's messages; what it files in Sent itself (not raised again as ItemSend).
    Ui& ui;
    SentItems* sent;
};

class HostView {
public:
    virtual ~HostView() = default;
    // Shows the window and runs the main thread until the window is closed
    // or `takePosted` answers false (a termination signal came).
    // `wakeupDescriptor` turns readable whenever something was posted; then
    // `takePosted` handles what was and must be called. Main thread only.
    virtual void run(const HostViewContext& context, int wakeupDescriptor, const std::function<bool()>& takePosted) = 0;
};

} // namespace kvn::host
