// The current time, as the system's code needs it: an OLE date (days since
// 1899-12-30, local time) and local calendar time. Tests set the time.
#pragma once

#include <ctime>

namespace kvn {

// A moment's time of day in UTC, as the debug log writes it.
struct UtcTimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Local time now as an OLE date, with millisecond resolution.
    virtual double nowOleDate() const = 0;
    // Local calendar time now (the fields of std::tm, tm_isdst filled in).
    virtual std::tm nowLocal() const = 0;
    // The time of day now in UTC, with milliseconds. By default the local
    // OLE date now, read in the local time zone.
    virtual UtcTimeOfDay nowUtcTimeOfDay() const;
};

// The machine's clock. Safe to call from any thread.
Clock& systemClock();

// A clock that stands still at the time it was given; for tests.
class SettableClock final : public Clock {
public:
    explicit SettableClock(double oleDate) : now_(oleDate) { }
    void set(double oleDate) { now_ = oleDate; }
    void advanceDays(double days) { now_ += days; }
    double nowOleDate() const override { return now_; }
    std::tm nowLocal() const override;

private:
    double now_;
};

} // namespace kvn
