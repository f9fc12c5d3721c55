// OLE dates and local calendar time. An OLE date is a double counting days
// since 1899-12-30 00:00 local time; its fraction is the time of day. For
// dates before that day the fraction still counts forward from midnight of
// the whole day, as the Windows conversions read it.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace kvn {

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12, day
// 1..31; a day past the month's end counts on into the next month).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);

// The days of a month (1..12) of a proleptic Gregorian year.
int daysInMonth(std::int64_t year, unsigned month);

// Local calendar fields (tm_year, tm_mon, tm_mday, tm_hour, tm_min, tm_sec)
// as an OLE date. tm_wday, tm_yday and tm_isdst are ignored.
double oleDateFromLocal(const std::tm& local);

// The calendar fields of an OLE date, rounded to the nearest second, with
// tm_wday and tm_yday filled in; tm_isdst is -1 (unknown). Empty for a date
// that is not a finite number or lies outside the years 100..9999.
std::optional<std::tm> localFromOleDate(double oleDate);

// Seconds since 1970-01-01 UTC of local calendar fields, read in the local
// time zone (mktime). Empty when the C library cannot represent them.
std::optional<std::int64_t> calendarTimeFromLocal(const std::tm& local);

// Local calendar fields of a calendar time (localtime_r).
std::tm localFromCalendarTime(std::int64_t secondsSinceEpoch);

// strftime of local calendar fields, e.g. "%Y.%m.%d", "%m.%d.%Y", "%c",
// "%d %Y %I:%M %p". "%c" is written the way the "C" locale writes it.
std::string formatLocalTime(const std::tm& local, const char* format);

// formatLocalTime(local, "%Y.%m.%d"), the date of list entries, made without
// strftime: a pass dates an entry on every match.
std::string formatDottedDate(const std::tm& local);

// An OLE date printed with "%.20f", the form "StopTime" is stored in.
std::string formatOleDateNumber(double oleDate);

} // namespace kvn
