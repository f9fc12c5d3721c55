// The host's main thread as the toolkit's event loop: the main window over
// the application, with the wake-up pipe read through a socket notifier so
// that new mail, sent mail and termination signals are handled between the
// window's events. Needs a QApplication.
#pragma once

#include "host/host_view.h"

#include <functional>

namespace kvn::host {

class MainWindow;

class QtHostView final : public HostView {
public:
    // `shown` runs once the window is up, before the loop starts (a test or
    // another part may add to the window there).
    explicit QtHostView(std::function<void(MainWindow&)> shown = {}) : shown_(std::move(shown)) { }
    void run(const HostViewContext& context, int wakeupDescriptor, const std::function<bool()>& takePosted) override;

private:
    std::function<void(MainWindow&)> shown_;
};

} // namespace kvn::host
