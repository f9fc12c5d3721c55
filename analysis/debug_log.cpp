#include "analysis/debug_log.h"

#include "platform/core/xdg_paths.h"

namespace kvn {

std::string debugLogPath() { return xdgStateHome() + "/korvane/KVNLog.txt"; }

std::string formatLogTime(const UtcTimeOfDay& time)
{
    return std::to_string(time.hour) + ":" + std::to_string(time.minute) + ":" + std::to_string(time.second) + "."
        + std::to_string(time.millisecond);
}

DebugLog::DebugLog(std::unique_ptr<AppendOnlyFile> file, const Clock& clock)
    : file_(std::move(file)), clock_(&clock) { }

void DebugLog::start(bool useLogging)
{
    setEnabled(useLogging);
    if (useLogging)
        (void)file_->truncate(); // a log that cannot be written never stops the run
}

void DebugLog::Append(std::string_view text)
{
    if (enabled())
        (void)file_->append(text);
}

void DebugLog::line(std::string_view before, std::string_view after)
{
    if (!enabled())
        return;
    std::string text;
    text.reserve(before.size() + after.size() + 16);
    text.append(before).append(formatLogTime(clock_->nowUtcTimeOfDay())).append(after).append("\r\n");
    (void)file_->append(text);
}

} // namespace kvn
