#include "ui/widgets/balloon_timers.h"

#include <QTimer>

namespace kvn::ui {

namespace {

class QtBalloonTimers final : public BalloonTimers {
public:
    void start(Timer timer, int milliseconds, std::function<void()> expired) override
    {
        QTimer& qtTimer = timerFor(timer);
        qtTimer.stop();
        QObject::disconnect(&qtTimer, &QTimer::timeout, nullptr, nullptr);
        qtTimer.setSingleShot(true);
        QObject::connect(&qtTimer, &QTimer::timeout, &qtTimer, std::move(expired));
        qtTimer.start(milliseconds);
    }

    void stop(Timer timer) override { timerFor(timer).stop(); }

private:
    QTimer& timerFor(Timer timer)
    {
        switch (timer) {
        case Timer::Display:
            return display_;
        case Timer::Fade:
            return fade_;
        }
        return display_;
    }

    QTimer display_;
    QTimer fade_;
};

} // namespace

std::unique_ptr<BalloonTimers> makeQtBalloonTimers() { return std::make_unique<QtBalloonTimers>(); }

} // namespace kvn::ui
