// Notices new mail in Maildir folders (inotify on their new/ and cur/) and
// reports it, debounced, on a thread of its own.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kvn::outlook {

// Watches the new/ and cur/ subfolders of each Maildir folder given. A file
// arriving there (renamed in from tmp/ or elsewhere: IN_MOVED_TO; created and
// written in place: IN_CLOSE_WRITE) starts a quiet period; the callback runs
// once `quiet` passes without further arrivals, and at the latest `maxDelay`
// after the first arrival of a burst. The callback runs on the watcher's own
// thread: the host marshals to its main thread. Folders that do not exist
// when start() is called are not watched.
//
// A watched new/ or cur/ that goes away (deleted, or renamed away, as a
// restore or another client may do) is watched again as soon as a folder is
// back at its path, checked every few hundred milliseconds; coming back counts
// as an arrival, since mail may have come with it. A watcher whose thread
// cannot go on (the system refuses to wait for or read its events) stops by
// itself: running() turns false and failure() says why.
class MailWatcher {
public:
    using Callback = std::function<void()>;

    MailWatcher(std::vector<std::string> maildirFolders, Callback onNewMail,
        std::chrono::milliseconds quiet = std::chrono::milliseconds(300),
        std::chrono::milliseconds maxDelay = std::chrono::milliseconds(2000));
    // Stops the thread; a callback that is running is waited for. Must not be
    // destroyed from within its own callback.
    ~MailWatcher();
    MailWatcher(const MailWatcher&) = delete;
    MailWatcher& operator=(const MailWatcher&) = delete;

    // Starts watching. False when inotify is not available or none of the
    // folders could be watched. Calling it while running does nothing (true).
    bool start();
    // Stops watching; pending arrivals are dropped. Safe to call repeatedly.
    // Must not be called from within the callback (nor must start()); every
    // other call may be, from any thread.
    void stop();
    // True from start() until stop(), or until the watcher stopped by itself.
    bool running() const;
    // Why the watcher stopped by itself; empty unless it did (start() clears it).
    std::string failure() const;
    // The number of new/ and cur/ folders watched now.
    int watchedFolderCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace kvn::outlook
