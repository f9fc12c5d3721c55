#include "analysis/filter_date.h"

#include "platform/core/ole_date.h"

#include <array>

namespace kvn {
namespace {

constexpr double firstOfJanuary2000 = 36526.0;

} // namespace

std::string formatFilterDate(double oleDate)
{
    static constexpr std::array<const char*, 12> months
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::optional<std::tm> local = localFromOleDate(oleDate <= 0.0 ? firstOfJanuary2000 : oleDate);
    if (!local)
        return {};
    const std::optional<std::int64_t> calendarTime = calendarTimeFromLocal(*local);
    if (!calendarTime || *calendarTime == 0)
        return {};
    // The month and the time are taken from the calendar time, so a local
    // time that does not exist (skipped by a clock change) reads as the C
    // library normalises it.
    const std::tm normalised = localFromCalendarTime(*calendarTime);
    return std::string(months[static_cast<std::size_t>(normalised.tm_mon)]) + " "
        + formatLocalTime(normalised, "%d %Y %I:%M %p");
}

} // namespace kvn
