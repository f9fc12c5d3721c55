// The Find and Restrict filters the system writes, decided from a message's
// read status and mtime alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kvn::outlook {

// A local time truncated to the minute, as a number that orders like time.
using MinuteKey = std::int64_t;

MinuteKey minuteKeyOfCalendarTime(std::int64_t secondsSinceEpoch);

struct MailFilter {
    enum class Compare { Less, LessOrEqual, Equal, GreaterOrEqual, Greater };
    struct TimeBound {
        Compare compare;
        MinuteKey minute;
        // The bound's wall-clock minute as seconds since 1970 read as UTC;
        // empty for a date no calendar has (the 31st of a short month).
        std::optional<std::int64_t> wallSeconds;
    };
    std::optional<bool> unread;
    std::vector<TimeBound> received;

    bool needsTimes() const { return !received.empty(); }
    bool matches(bool unreadNow, std::int64_t mtime) const { return matchesFlags(unreadNow) && matchesTime(mtime); }
    bool matchesFlags(bool unreadNow) const { return !unread || *unread == unreadNow; }
    bool matchesTime(std::int64_t mtime) const;
};

// "[UnRead]=true", "[UnRead]=false" and "[ReceivedTime] OP 'Mon DD YYYY HH:MM AM'"
// with OP one of >=, >, <=, <, =, joined with "and" (any letter case, blanks
// around the parts allowed). Empty when the text is anything else.
std::optional<MailFilter> parseMailFilter(std::string_view text);

} // namespace kvn::outlook
