// The debug log: KVNLog.txt in $XDG_STATE_HOME/korvane, plain text lines each
// ending in CR LF, which the start-up run, inbox discovery and the passes
// write when the option "UseLogging" is 1. Lines carry the UTC time of day as
// "%d:%d:%d.%d" (hour, minute, second, millisecond, without leading zeros).
//
// One object lives on the engine and is shared by its threads: every call is
// safe from any thread, and each line reaches the file whole. A file error
// never stops a run: it is swallowed here.
#pragma once

#include "platform/core/append_file.h"
#include "platform/core/clock.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace kvn {

// $XDG_STATE_HOME/korvane/KVNLog.txt (~/.local/state/korvane/KVNLog.txt).
std::string debugLogPath();

// "%d:%d:%d.%d"
std::string formatLogTime(const UtcTimeOfDay& time);

class DebugLog {
public:
    DebugLog(std::unique_ptr<AppendOnlyFile> file, const Clock& clock);

    // The value of "UseLogging": nothing is written while it is off.
    void setEnabled(bool on) { enabled_.store(on, std::memory_order_relaxed); }
    bool enabled() const { return enabled_.load(std::memory_order_relaxed); }

    // The start of the start-up run: takes "UseLogging" and, when it is on,
    // empties the file (an existing log is truncated).
    void start(bool useLogging);

    // Appends the text as it is (no terminator added), when enabled.
    void Append(std::string_view text);

    // Appends before + the time now + after + "\r\n", when enabled; the
    // time is taken only then.
    void line(std::string_view before, std::string_view after = {});

private:
    std::unique_ptr<AppendOnlyFile> file_;
    const Clock* clock_;
    std::atomic<bool> enabled_{false};
};

} // namespace kvn
