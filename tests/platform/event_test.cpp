// The event object: auto and manual reset, set before or after the wait,
// and pulses that reach only the waiters present.
#include "platform/core/event.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace kvn {
namespace {

using namespace std::chrono_literals;

// Starts `count` threads that wait on the event and returns once all of
// them are inside the wait (a pulse before that could miss some).
class Waiters {
public:
    Waiters(Event& event, int count)
    {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([&event, this] {
                if (event.wait(60s))
                    ++released_;
            });
        while (event.waiterCount() < count)
            std::this_thread::yield();
    }
    ~Waiters() { join(); }
    void join()
    {
        for (std::thread& thread : threads_)
            if (thread.joinable())
                thread.join();
    }
    int released() const { return released_.load(); }

private:
    std::vector<std::thread> threads_;
    std::atomic<int> released_{0};
};

TEST(EventTest, AnAutoResetEventSetBeforehandReleasesOneWaitAndResetsItself)
{
    Event event(Event::Reset::Auto);
    EXPECT_FALSE(event.wait(0ms));
    event.set();
    EXPECT_TRUE(event.isSet());
    EXPECT_TRUE(event.wait(0ms));
    EXPECT_FALSE(event.isSet());
    EXPECT_FALSE(event.wait(0ms));
}

TEST(EventTest, AManualResetEventStaysSetUntilReset)
{
    Event event(Event::Reset::Manual);
    event.set();
    EXPECT_TRUE(event.wait(0ms));
    EXPECT_TRUE(event.wait(0ms));
    event.reset();
    EXPECT_FALSE(event.wait(0ms));
}

TEST(EventTest, APulseWithNobodyWaitingLeavesNothingBehind)
{
    for (const Event::Reset reset : {Event::Reset::Auto, Event::Reset::Manual}) {
        Event event(reset);
        event.pulse();
        EXPECT_FALSE(event.isSet());
        EXPECT_FALSE(event.wait(0ms));
    }
}

TEST(EventTest, SettingAnAutoResetEventReleasesOneWaiterAtATime)
{
    Event event(Event::Reset::Auto);
    Waiters waiters(event, 3);
    for (int released = 1; released <= 3; ++released) {
        // Setting a signalled auto-reset event adds nothing: one set, one waiter.
        event.set();
        while (waiters.released() < released)
            std::this_thread::yield();
    }
    waiters.join();
    EXPECT_EQ(waiters.released(), 3);
    EXPECT_FALSE(event.isSet());
}

TEST(EventTest, SettingAManualResetEventReleasesEveryWaiter)
{
    Event event(Event::Reset::Manual);
    Waiters waiters(event, 4);
    event.set();
    waiters.join();
    EXPECT_EQ(waiters.released(), 4);
    EXPECT_TRUE(event.isSet());
}

TEST(EventTest, APulseOfAManualResetEventReleasesEveryPresentWaiterAndStaysUnsignalled)
{
    Event event(Event::Reset::Manual);
    {
        Waiters waiters(event, 3);
        event.pulse();
        waiters.join();
        EXPECT_EQ(waiters.released(), 3);
    }
    EXPECT_FALSE(event.isSet());
    EXPECT_FALSE(event.wait(0ms));
}

TEST(EventTest, APulseOfAnAutoResetEventReleasesOnePresentWaiter)
{
    Event event(Event::Reset::Auto);
    Waiters waiters(event, 2);
    event.pulse();
    while (waiters.released() < 1)
        std::this_thread::yield();
    EXPECT_EQ(event.waiterCount(), 1) << "one pulse releases one waiter";
    EXPECT_FALSE(event.isSet()) << "a pulse leaves nothing behind";
    event.set(); // the other one
    waiters.join();
    EXPECT_EQ(waiters.released(), 2);
    EXPECT_FALSE(event.isSet());
}

} // namespace
} // namespace kvn
