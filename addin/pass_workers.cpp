// RequestRun and the two workers that make the passes.
//
// The invariant that keeps two passes from running at once: the immediate
// pass starts only while neither immediateRunning exists nor followUpBusy is
// set, and the follow-up worker sets followUpBusy only once immediateRunning
// is gone, both tests made under the scheduling lock with the change they
// guard. The immediate worker signals followUpWake when its pass ends, so the
// follow-up pass starts right after it; the timed wait is only a safety net.
#include "addin/cmain.h"

namespace kvn {

void CMain::RequestRun()
{
    std::lock_guard<std::mutex> request(runRequestLock_);
    std::shared_ptr<Event> pending;
    {
        std::lock_guard<std::mutex> hold(schedule_);
        if (halting_)
            return;
        pending = startupPending_;
        if (!pending)
            runPending_ = false;
    }
    if (pending && !pending->wait(services_.timings.startupWait)) {
        std::lock_guard<std::mutex> hold(schedule_);
        runPending_ = true;
        return;
    }
    std::lock_guard<std::mutex> hold(schedule_);
    if (halting_)
        return;
    if (!immediateRunning_ && !followUpBusy_)
        startImmediate();
    if (followUpWake_) {
        followUpWake_->pulse();
        if (followUpBusy_)
            requestedDuringFollowUp_ = true;
    } else {
        startFollowUp();
    }
}

// The caller holds schedule_.
void CMain::startImmediate()
{
    // A worker that ended earlier has left the field only; reclaim its thread.
    if (immediateThread_.joinable())
        immediateThread_.join();
    immediateRunning_ = std::make_shared<Event>(Event::Reset::Manual);
    immediateThread_ = std::thread(&CMain::immediateWorker, this);
}

// The caller holds schedule_.
void CMain::startFollowUp()
{
    if (followUpThread_.joinable())
        followUpThread_.join();
    followUpWake_ = std::make_shared<Event>(Event::Reset::Auto);
    requestedDuringFollowUp_ = false;
    followUpThread_ = std::thread(&CMain::followUpWorker, this);
}

void CMain::runPass()
{
    PassContext context = [this] {
        std::lock_guard<std::mutex> hold(state_.lock);
        return state_.passContext(*services_.application, log_, services_.clock, countries_.get(), &stopRequested_);
    }();
    const double began = services_.clock.nowOleDate();
    if (services_.pass(context) != PassEnd::Finished)
        return;
    std::lock_guard<std::mutex> hold(schedule_);
    latestCompletePassBegan_ = began;
}

void CMain::immediateWorker()
{
    banner_->Show();
    runPass();
    banner_->Hide();
    std::shared_ptr<Event> followUp;
    {
        std::lock_guard<std::mutex> hold(schedule_);
        immediateRunning_.reset();
        followUp = followUpWake_;
        markIdleChange();
    }
    if (followUp)
        followUp->set();
}

// Waits until the immediate pass is over; then the follow-up pass is
// marked busy. False when the engine halts first.
bool CMain::waitForImmediatePass(const std::shared_ptr<Event>& wake)
{
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(schedule_);
            if (halting_)
                return false;
            if (!immediateRunning_) {
                followUpBusy_ = true;
                return true;
            }
        }
        wake->wait(services_.timings.followUpWait);
    }
}

// After a follow-up pass: true when a request came during it, which makes it
// run again; otherwise the worker leaves its fields, in the same step, so no
// request falls between the test and the clearing.
bool CMain::followUpAgain()
{
    std::lock_guard<std::mutex> hold(schedule_);
    if (requestedDuringFollowUp_ && !halting_) {
        requestedDuringFollowUp_ = false;
        return true;
    }
    followUpWake_.reset();
    followUpBusy_ = false;
    markIdleChange();
    return false;
}

void CMain::followUpWorker()
{
    std::shared_ptr<Event> wake;
    {
        std::lock_guard<std::mutex> hold(schedule_);
        wake = followUpWake_;
    }
    if (!waitForImmediatePass(wake)) {
        std::lock_guard<std::mutex> hold(schedule_);
        followUpWake_.reset();
        markIdleChange();
        return;
    }
    do {
        banner_->Show();
        runPass();
        banner_->Hide();
        remindAfterPass();
    } while (followUpAgain());
}

} // namespace kvn
