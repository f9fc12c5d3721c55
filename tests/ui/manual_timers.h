// Timers for window tests that run when the test moves time on, not when the
// clock on the wall does: advance(ms) fires every running timer once for each
// whole interval that passed, in the order the moments come.
#pragma once

#include "ui/repeating_timer.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace kvn::testing {

class ManualTimers {
public:
    TimerFactory factory()
    {
        return [this](std::function<void()> tick) {
            auto timer = std::make_unique<Timer>(*this, std::move(tick));
            timers_.push_back(timer.get());
            return timer;
        };
    }

    void advance(long long milliseconds)
    {
        const long long until = now_ + milliseconds;
        while (Timer* next = nextDue(until)) {
            now_ = next->due;
            next->due += next->interval;
            next->tick();
        }
        now_ = until;
    }

private:
    struct Timer final : RepeatingTimer {
        Timer(ManualTimers& timers, std::function<void()> onTick) : owner(timers), tick(std::move(onTick)) { }
        ~Timer() override { std::erase(owner.timers_, this); }
        void start(int intervalMilliseconds) override
        {
            interval = intervalMilliseconds;
            due = owner.now_ + interval;
            active = true;
        }
        void stop() override { active = false; }
        bool running() const override { return active; }

        ManualTimers& owner;
        std::function<void()> tick;
        long long interval = 0;
        long long due = 0;
        bool active = false;
    };

    Timer* nextDue(long long until) const
    {
        Timer* next = nullptr;
        for (Timer* timer : timers_)
            if (timer->active && timer->due <= until && (next == nullptr || timer->due < next->due))
                next = timer;
        return next;
    }

    long long now_ = 0;
    std::vector<Timer*> timers_;
};

} // namespace kvn::testing
