#include "ui/repeating_timer.h"

#include <QTimer>

namespace kvn {
namespace {

class QtRepeatingTimer final : public RepeatingTimer {
public:
    explicit QtRepeatingTimer(std::function<void()> tick)
    {
        QObject::connect(&timer_, &QTimer::timeout, [tick = std::move(tick)] { tick(); });
    }
    void start(int intervalMilliseconds) override { timer_.start(intervalMilliseconds); }
    void stop() override { timer_.stop(); }
    bool running() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

} // namespace

TimerFactory qtTimers()
{
    return [](std::function<void()> tick) { return std::make_unique<QtRepeatingTimer>(std::move(tick)); };
}

} // namespace kvn
