#include "platform/core/clock.h"

#include "platform/core/ole_date.h"

#include <cmath>
#include <time.h>

namespace kvn {
namespace {

UtcTimeOfDay utcTimeOfDay(std::int64_t secondsSinceEpoch, int millisecond)
{
    const time_t seconds = static_cast<time_t>(secondsSinceEpoch);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    return {utc.tm_hour, utc.tm_min, utc.tm_sec, millisecond};
}

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

    UtcTimeOfDay nowUtcTimeOfDay() const override
    {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return utcTimeOfDay(now.tv_sec, static_cast<int>(now.tv_nsec / 1000000));
    }
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

UtcTimeOfDay Clock::nowUtcTimeOfDay() const
{
    const double now = nowOleDate();
    // The milliseconds come off first, so that the whole seconds left convert exactly.
    const double dayMilliseconds = std::round((now - std::floor(now)) * 86400000.0);
    const int millisecond = static_cast<int>(std::fmod(dayMilliseconds, 1000.0));
    const std::optional<std::tm> local = localFromOleDate(now - millisecond / 86400000.0);
    const std::optional<std::int64_t> seconds = local ? calendarTimeFromLocal(*local) : std::nullopt;
    return seconds ? utcTimeOfDay(*seconds, millisecond) : UtcTimeOfDay{};
}

} // namespace kvn
