// Repeating timers for the windows that animate (the banner's marquee and
// blinking icon), made through a factory so that a test can drive time by
// hand instead of waiting. A timer calls its tick on the GUI thread, once per
// interval while it runs; it is made, started and stopped on the GUI thread.
#pragma once

#include <functional>
#include <memory>

namespace kvn {

class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
    // (Re)starts counting the interval from now.
    virtual void start(int intervalMilliseconds) = 0;
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

using TimerFactory = std::function<std::unique_ptr<RepeatingTimer>(std::function<void()> tick)>;

// Timers on the Qt event loop (QTimer).
TimerFactory qtTimers();

} // namespace kvn
