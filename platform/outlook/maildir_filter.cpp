// Parsing the filter texts and testing a message against them.
#include "platform/outlook/maildir_filter.h"

#include "platform/core/ole_date.h"
#include "platform/core/utf8_text.h"

#include <array>
#include <charconv>
#include <string>

namespace kvn::outlook {
namespace {

MinuteKey minuteKeyOf(int year, int month, int day, int hour, int minute)
{
    return ((((static_cast<MinuteKey>(year) * 12 + month) * 31 + day) * 24 + hour) * 60) + minute;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool consume(std::string_view& text, std::string_view prefix)
{
    text = trimmed(text);
    if (text.size() < prefix.size() || !equalsIgnoringCase(text.substr(0, prefix.size()), prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

std::optional<int> number(std::string_view& text, std::size_t digits)
{
    text = trimmed(text);
    int value = 0;
    if (text.size() < digits)
        return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + digits, value);
    if (error != std::errc() || end != text.data() + digits)
        return std::nullopt;
    text.remove_prefix(digits);
    return value;
}

struct FilterDate {
    MinuteKey minute;
    std::optional<std::int64_t> wallSeconds;
};

// 'Jan 05 2004 09:30 PM', the quotes included.
std::optional<FilterDate> parseFilterDate(std::string_view text)
{
    static constexpr std::array<std::string_view, 12> months
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!consume(text, "'"))
        return std::nullopt;
    int month = 0;
    while (month < 12 && !consume(text, months[static_cast<std::size_t>(month)]))
        ++month;
    auto day = number(text, 2);
    auto year = number(text, 4);
    auto hour = number(text, 2);
    if (month == 12 || !day || !year || !hour || !consume(text, ":"))
        return std::nullopt;
    auto minute = number(text, 2);
    bool pm = consume(text, "PM");
    if (!minute || (!pm && !consume(text, "AM")) || !consume(text, "'") || !trimmed(text).empty())
        return std::nullopt;
    if (*day < 1 || *day > 31 || *hour < 1 || *hour > 12 || *minute > 59)
        return std::nullopt;
    int hour24 = (*hour % 12) + (pm ? 12 : 0);
    FilterDate date{minuteKeyOf(*year, month, *day, hour24, *minute), std::nullopt};
    const auto month1 = static_cast<unsigned>(month + 1);
    if (*day <= daysInMonth(*year, month1))
        date.wallSeconds
            = daysFromCivil(*year, month1, static_cast<unsigned>(*day)) * 86400 + hour24 * 3600 + *minute * 60;
    return date;
}

std::optional<MailFilter::Compare> parseCompare(std::string_view& text)
{
    using Compare = MailFilter::Compare;
    for (auto [token, compare] : {std::pair{">=", Compare::GreaterOrEqual}, std::pair{"<=", Compare::LessOrEqual},
             std::pair{">", Compare::Greater}, std::pair{"<", Compare::Less}, std::pair{"=", Compare::Equal}}) {
        if (consume(text, token))
            return compare;
    }
    return std::nullopt;
}

bool parseCondition(std::string_view text, MailFilter& filter)
{
    if (consume(text, "[UnRead]")) {
        if (!consume(text, "="))
            return false;
        bool value = consume(text, "true");
        if (!value && !consume(text, "false"))
            return false;
        filter.unread = value;
        return trimmed(text).empty();
    }
    if (!consume(text, "[ReceivedTime]"))
        return false;
    auto compare = parseCompare(text);
    auto date = parseFilterDate(text);
    if (!compare || !date)
        return false;
    filter.received.push_back({*compare, date->minute, date->wallSeconds});
    return true;
}

// The position of the next " and " outside quotes, or npos.
std::size_t nextAnd(std::string_view text)
{
    bool quoted = false;
    for (std::size_t i = 0; i + 5 <= text.size(); ++i) {
        if (text[i] == '\'')
            quoted = !quoted;
        if (!quoted && equalsIgnoringCase(text.substr(i, 5), " and "))
            return i;
    }
    return std::string_view::npos;
}

// A local time is never further than this from UTC: time zone files keep
// their offsets within -89999 and 93599 seconds, and a POSIX TZ offset is at
// most 24:59:59.
constexpr std::int64_t widestUtcOffset = 26 * 3600;

// How a time compares with a bound, when the offsets the time zone could
// have at that time all give the same answer: -1 before the bound's minute,
// 1 past it, 0 when only the local time can tell. So the local time (a look
// into the time zone's rules) is worked out only for times near a bound.
int sideOfBound(std::int64_t mtime, const MailFilter::TimeBound& bound)
{
    if (!bound.wallSeconds)
        return 0;
    if (mtime + widestUtcOffset < *bound.wallSeconds)
        return -1;
    if (mtime - widestUtcOffset >= *bound.wallSeconds + 60)
        return 1;
    return 0;
}

bool holdsOnSide(MailFilter::Compare compare, int side)
{
    switch (compare) {
    case MailFilter::Compare::Less:
    case MailFilter::Compare::LessOrEqual:
        return side < 0;
    case MailFilter::Compare::Equal:
        return false;
    case MailFilter::Compare::GreaterOrEqual:
    case MailFilter::Compare::Greater:
        return side > 0;
    }
    return false;
}

bool holds(MailFilter::Compare compare, MinuteKey item, MinuteKey bound)
{
    switch (compare) {
    case MailFilter::Compare::Less:
        return item < bound;
    case MailFilter::Compare::LessOrEqual:
        return item <= bound;
    case MailFilter::Compare::Equal:
        return item == bound;
    case MailFilter::Compare::GreaterOrEqual:
        return item >= bound;
    case MailFilter::Compare::Greater:
        return item > bound;
    }
    return false;
}

} // namespace

MinuteKey minuteKeyOfCalendarTime(std::int64_t secondsSinceEpoch)
{
    std::tm local = localFromCalendarTime(secondsSinceEpoch);
    return minuteKeyOf(local.tm_year + 1900, local.tm_mon, local.tm_mday, local.tm_hour, local.tm_min);
}

bool MailFilter::matchesTime(std::int64_t mtime) const
{
    std::optional<MinuteKey> item;
    for (const auto& bound : received) {
        if (const int side = sideOfBound(mtime, bound); side != 0) {
            if (!holdsOnSide(bound.compare, side))
                return false;
            continue;
        }
        if (!item)
            item = minuteKeyOfCalendarTime(mtime);
        if (!holds(bound.compare, *item, bound.minute))
            return false;
    }
    return true;
}

std::optional<MailFilter> parseMailFilter(std::string_view text)
{
    MailFilter filter;
    for (;;) {
        auto end = nextAnd(text);
        if (!parseCondition(text.substr(0, end), filter))
            return std::nullopt;
        if (end == std::string_view::npos)
            return filter;
        text.remove_prefix(end + 5);
    }
}

} // namespace kvn::outlook
