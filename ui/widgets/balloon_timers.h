// The timers a balloon runs on: its display timer and the steps of its
// fading. An interface so that a test can fire them by hand instead of
// waiting; the balloon's own implementation uses Qt's timers. GUI thread
// only.
#pragma once

#include <functional>
#include <memory>

namespace kvn::ui {

class BalloonTimers {
public:
    enum class Timer { Display, Fade };

    virtual ~BalloonTimers() = default;
    // Calls `expired` once, `milliseconds` from now, unless stopped first.
    // Starting a running timer starts it again with the new callback.
    virtual void start(Timer timer, int milliseconds, std::function<void()> expired) = 0;
    // Stopping a timer that does not run does nothing.
    virtual void stop(Timer timer) = 0;
};

// Single-shot Qt timers in the calling thread's event loop.
std::unique_ptr<BalloonTimers> makeQtBalloonTimers();

} // namespace kvn::ui
