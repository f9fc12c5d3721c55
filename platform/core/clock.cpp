#include "platform/core/clock.h"

#include "platform/core/ole_date.h"

#include <time.h>

namespace kvn {
namespace {

class SystemClock final : public Clock {
public:
    double nowOleDate() const override
    {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const std::tm local = localFromCalendarTime(now.tv_sec);
        return oleDateFromLocal(local) + static_cast<double>(now.tv_nsec / 1000000) / 86400000.0;
    }

    std::tm nowLocal() const override { return localFromCalendarTime(static_cast<std::int64_t>(time(nullptr))); }
};

} // namespace

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

std::tm SettableClock::nowLocal() const
{
    std::tm local = localFromOleDate(now_).value_or(std::tm{});
    // Let the C library fill in whether daylight saving time is in force.
    std::tm normalised = local;
    if (calendarTimeFromLocal(normalised))
        local.tm_isdst = localFromCalendarTime(*calendarTimeFromLocal(normalised)).tm_isdst;
    return local;
}

} // namespace kvn
