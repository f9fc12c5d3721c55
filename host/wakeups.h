// The host's main loop wakes on a self-pipe: watcher threads and signal
// handlers post one byte each, the main thread reads them in order. Posting
// is async-signal-safe, so SIGINT and SIGTERM are turned into a byte and
// handled on the main thread like any other event.
#pragma once

#include <string>

namespace kvn::host {

class Wakeups {
public:
    Wakeups();
    ~Wakeups();
    Wakeups(const Wakeups&) = delete;
    Wakeups& operator=(const Wakeups&) = delete;

    // Any thread, and signal handlers. A byte that does not fit (the pipe is
    // full of unread ones) is dropped: the reader is behind and wakes anyway.
    void post(char what) noexcept;
    // Waits until something was posted or timeoutMs passed (negative: no
    // limit); what was posted since the last call, in order. A termination
    // signal caught meanwhile shows as terminateByte even if its byte was dropped.
    std::string wait(int timeoutMs);

    // SIGINT and SIGTERM post terminateByte here from now on (one object per
    // process may catch them); the handlers are put back when it is destroyed.
    void catchTerminationSignals();

    // The descriptor that turns readable when something was posted, for an
    // event loop of its own (which then calls wait(0)); owned by this object.
    int readDescriptor() const { return readEnd_; }

    static constexpr char terminateByte = 'T';

private:
    int readEnd_ = -1;
    int writeEnd_ = -1;
    bool catching_ = false;
};

} // namespace kvn::host
