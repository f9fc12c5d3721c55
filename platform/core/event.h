// An event object of the kind the engine's scheduling is written in terms of:
// signalled or not, reset by hand (manual) or by the one waiter it releases
// (auto), and pulsed (the waiters present at that moment are released, the
// event is left unsignalled).
//
// set() on an auto-reset event releases exactly one waiter, now or the next
// one to come; on a manual-reset event it releases every waiter until
// reset(). pulse() releases one present waiter (auto) or all of them
// (manual) and never leaves the event signalled: with nobody waiting it does
// nothing. Every call is safe from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kvn {

class Event {
public:
    enum class Reset { Auto, Manual };

    explicit Event(Reset reset, bool signalled = false) : manual_(reset == Reset::Manual), signalled_(signalled) { }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    void pulse();

    // True when released by a set or a pulse, false when the time ran out.
    // An auto-reset event is unsignalled again when this returns true.
    bool wait(std::chrono::milliseconds timeout);
    void wait();

    // Whether the event is signalled now; does not consume it.
    bool isSet() const;
    // How many threads are inside a wait now (for tests that must pulse only
    // once everyone waits).
    int waiterCount() const;

private:
    // The caller holds mutex_. True when this waiter (which came at the
    // given pulse generation) may go; consumes what released it.
    bool takeRelease(std::uint64_t generation);

    const bool manual_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_;
    std::uint64_t pulses_ = 0; // how many pulses released somebody
    int waiters_ = 0;
    int pulseReleases_ = 0; // waiters an auto-reset pulse still releases (0 or 1)
};

} // namespace kvn
