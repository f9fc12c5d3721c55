// Balloon timers that a test fires by hand, so that no test waits.
#pragma once

#include "ui/widgets/balloon_timers.h"

#include <functional>
#include <map>

namespace kvn::ui::testing {

class ManualBalloonTimers final : public BalloonTimers {
public:
    void start(Timer timer, int milliseconds, std::function<void()> expired) override
    {
        pending_[timer] = {milliseconds, std::move(expired)};
    }
    void stop(Timer timer) override { pending_.erase(timer); }

    bool running(Timer timer) const { return pending_.count(timer) > 0; }
    // 0 when the timer does not run.
    int interval(Timer timer) const { return running(timer) ? pending_.at(timer).milliseconds : 0; }
    // Runs out the timer as if its time had passed; false when it did not run.
    bool fire(Timer timer)
    {
        auto found = pending_.find(timer);
        if (found == pending_.end())
            return false;
        auto expired = std::move(found->second.expired);
        pending_.erase(found);
        expired();
        return true;
    }
    // Fires the fade timer until the fade is over; the number of steps.
    int finishFade()
    {
        int steps = 0;
        while (steps < 1000 && fire(Timer::Fade))
            ++steps;
        return steps;
    }

private:
    struct Pending {
        int milliseconds = 0;
        std::function<void()> expired;
    };
    std::map<Timer, Pending> pending_;
};

} // namespace kvn::ui::testing
