#include "platform/core/ole_date.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <locale.h>
#include <time.h>

namespace kvn {
namespace {

constexpr std::int64_t daysFrom1970To1899_12_30 = -25569;
constexpr std::int64_t secondsPerDay = 86400;

bool isLeap(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

} // namespace

int daysInMonth(std::int64_t year, unsigned month)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return days[month - 1] + (month == 2 && isLeap(year) ? 1 : 0);
}

std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

namespace {

struct CivilDate {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

CivilDate civilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2), month, day};
}

int dayOfYear(const CivilDate& date)
{
    static constexpr std::array<int, 12> before = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    return before[date.month - 1] + static_cast<int>(date.day) - 1 + (date.month > 2 && isLeap(date.year) ? 1 : 0);
}

} // namespace

double oleDateFromLocal(const std::tm& local)
{
    // Normalise month overflow the way mktime would, then count whole days.
    std::int64_t year = static_cast<std::int64_t>(local.tm_year) + 1900;
    std::int64_t month = local.tm_mon;
    year += month >= 0 ? month / 12 : (month - 11) / 12;
    month = ((month % 12) + 12) % 12;
    const std::int64_t days
        = daysFromCivil(year, static_cast<unsigned>(month + 1), 1) + local.tm_mday - 1 - daysFrom1970To1899_12_30;
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    return static_cast<double>(days) + seconds / static_cast<double>(secondsPerDay);
}

std::optional<std::tm> localFromOleDate(double oleDate)
{
    if (!std::isfinite(oleDate) || oleDate < -657434.0 || oleDate >= 2958466.0)
        return std::nullopt;
    // Before 1899-12-30 the whole part counts days back, the fraction still
    // counts forward from that day's midnight.
    const double whole = std::trunc(oleDate);
    std::int64_t days = static_cast<std::int64_t>(whole);
    std::int64_t seconds = std::llround(std::fabs(oleDate - whole) * secondsPerDay);
    if (seconds >= secondsPerDay) {
        seconds -= secondsPerDay;
        days += oleDate < 0 ? -1 : 1;
    }
    const CivilDate date = civilFromDays(days + daysFrom1970To1899_12_30);
    std::tm local{};
    local.tm_year = static_cast<int>(date.year - 1900);
    local.tm_mon = static_cast<int>(date.month) - 1;
    local.tm_mday = static_cast<int>(date.day);
    local.tm_hour = static_cast<int>(seconds / 3600);
    local.tm_min = static_cast<int>(seconds / 60 % 60);
    local.tm_sec = static_cast<int>(seconds % 60);
    local.tm_yday = dayOfYear(date);
    const std::int64_t daysSince1970 = days + daysFrom1970To1899_12_30;
    local.tm_wday = static_cast<int>(((daysSince1970 % 7) + 7 + 4) % 7); // 1970-01-01 was a Thursday
    local.tm_isdst = -1;
    return local;
}

std::optional<std::int64_t> calendarTimeFromLocal(const std::tm& local)
{
    std::tm copy = local;
    copy.tm_isdst = -1;
    const time_t seconds = mktime(&copy);
    if (seconds == static_cast<time_t>(-1) && !(copy.tm_year == 69 && copy.tm_mon == 11 && copy.tm_mday == 31))
        return std::nullopt;
    return static_cast<std::int64_t>(seconds);
}

std::tm localFromCalendarTime(std::int64_t secondsSinceEpoch)
{
    const auto seconds = static_cast<time_t>(secondsSinceEpoch);
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

std::string formatLocalTime(const std::tm& local, const char* format)
{
    // Formats in the "C" locale whatever the process's locale is, so that
    // month names and "%c" read the same on every machine.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    std::array<char, 256> buffer{};
    const std::size_t length = strftime_l(buffer.data(), buffer.size(), format, &local, cLocale);
    return std::string(buffer.data(), length);
}

std::string formatDottedDate(const std::tm& local)
{
    // As strftime writes them: the year unpadded, month and day in two digits.
    std::array<char, 48> buffer{};
    char* const last = buffer.data() + buffer.size();
    char* end = std::to_chars(buffer.data(), last, static_cast<long>(local.tm_year) + 1900).ptr;
    for (const int part : {local.tm_mon + 1, local.tm_mday}) {
        *end++ = '.';
        if (part >= 0 && part < 10)
            *end++ = '0';
        end = std::to_chars(end, last, part).ptr;
    }
    return std::string(buffer.data(), end);
}

std::string formatOleDateNumber(double oleDate)
{
    std::array<char, 512> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.20f", oleDate);
    if (length < 0)
        return {};
    return std::string(buffer.data(), std::min<std::size_t>(static_cast<std::size_t>(length), buffer.size() - 1));
}

} // namespace kvn
