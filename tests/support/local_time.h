// Local calendar fields for tests, written as a date reads.
#pragma once

#include "platform/core/ole_date.h"

#include <ctime>

namespace kvn::testing {

inline std::tm localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return local;
}

inline double oleDateOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return oleDateFromLocal(localTime(year, month, day, hour, minute, second));
}

} // namespace kvn::testing
