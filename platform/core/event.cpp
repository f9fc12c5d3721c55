#include "platform/core/event.h"

namespace kvn {

void Event::set()
{
    {
        std::lock_guard<std::mutex> hold(mutex_);
        signalled_ = true;
    }
    if (manual_)
        changed_.notify_all();
    else
        changed_.notify_one();
}

void Event::reset()
{
    std::lock_guard<std::mutex> hold(mutex_);
    signalled_ = false;
}

void Event::pulse()
{
    {
        std::lock_guard<std::mutex> hold(mutex_);
        if (waiters_ == 0)
            return;
        ++pulses_;
        pulseReleases_ = manual_ ? waiters_ : 1;
    }
    changed_.notify_all();
}

bool Event::takeRelease(std::uint64_t generation)
{
    if (signalled_) {
        if (!manual_)
            signalled_ = false;
        return true;
    }
    if (generation != pulses_ && pulseReleases_ > 0) {
        --pulseReleases_;
        return true;
    }
    return false;
}

bool Event::wait(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> hold(mutex_);
    const std::uint64_t generation = pulses_;
    ++waiters_;
    const bool released = changed_.wait_for(hold, timeout, [&] { return takeRelease(generation); });
    --waiters_;
    // A pulse reaches only the waiters present when it came.
    if (waiters_ == 0)
        pulseReleases_ = 0;
    return released;
}

void Event::wait()
{
    std::unique_lock<std::mutex> hold(mutex_);
    const std::uint64_t generation = pulses_;
    ++waiters_;
    changed_.wait(hold, [&] { return takeRelease(generation); });
    --waiters_;
    if (waiters_ == 0)
        pulseReleases_ = 0;
}

int Event::waiterCount() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return waiters_;
}

bool Event::isSet() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return signalled_;
}

} // namespace kvn
