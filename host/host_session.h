// One run of the host: opens the profile's stores and command bars, loads and
// connects the registered add-ins (holding the profile's lock while any is
// connected), raises the events on the main thread, and disconnects every
// add-in on SIGINT or SIGTERM (removeMode 0, the host closing).
#pragma once

#include "platform/core/ui.h"

namespace kvn::host {
class HostView;
}

#include <string>

namespace kvn::host {

struct HostOptions {
    std::string profile = "Default";
    bool headless = false;
    // Connect, let the start-up finish, raise one NewMail, wait until every
    // add-in is idle, disconnect, exit.
    bool once = false;
    // While waiting for idle, how often add-ins are asked (milliseconds).
    int idlePollMs = 20;
};

// Exit statuses.
constexpr int exitSuccess = 0;
constexpr int exitFailure = 1; // an add-in failed to load or to connect (--once), or the profile is in use
constexpr int exitUsage = 2;

// Runs until a termination signal (or, with once, until the work is done).
// Messages go to `ui`. With a `view` (and neither headless nor once) the
// view runs the main thread once the add-ins are connected, until its
// window closes or a termination signal comes. Main thread only, once per
// process.
int runHost(const HostOptions& options, Ui& ui, HostView* view = nullptr);

} // namespace kvn::host
