// The new-mail watcher: one inotify descriptor for all folders, read by a
// thread that turns bursts of arrivals into one callback.
//
// What counts as an arrival: a file appearing in new/ or cur/ by rename
// (IN_MOVED_TO: delivery through tmp/, mbsync, Dovecot's LDA), by link or
// create (IN_CREATE: qmail-style link(), writers that open in place) or by
// a finished write (IN_CLOSE_WRITE). A rename inside the watched folders of
// one Maildir (a flag change in cur/, a client taking mail from new/ to
// cur/) is not an arrival: its IN_MOVED_TO carries the cookie of an
// IN_MOVED_FROM just seen there.
#include "platform/outlook/mail_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cerrno>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

namespace kvn::outlook {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t watchMask
    = IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_CLOSE_WRITE | IN_ONLYDIR | IN_EXCL_UNLINK;
constexpr std::size_t rememberedCookies = 256;

void closeIfOpen(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Arrivals seen but not reported yet.
class Debounce {
public:
    Debounce(std::chrono::milliseconds quiet, std::chrono::milliseconds maxDelay) : quiet_(quiet), maxDelay_(maxDelay)
    {
    }
    void arrival(Clock::time_point now)
    {
        if (!pending_)
            first_ = now;
        pending_ = true;
        last_ = now;
    }
    bool pending() const { return pending_; }
    // When the pending arrivals are to be reported; only while pending().
    Clock::time_point deadline() const { return std::min(last_ + quiet_, first_ + maxDelay_); }
    bool due(Clock::time_point now) const { return pending_ && now >= deadline(); }
    void reported() { pending_ = false; }

private:
    std::chrono::milliseconds quiet_;
    std::chrono::milliseconds maxDelay_;
    bool pending_ = false;
    Clock::time_point first_{};
    Clock::time_point last_{};
};

} // namespace

struct MailWatcher::Impl {
    std::vector<std::string> folders;
    Callback onNewMail;
    std::chrono::milliseconds quiet;
    std::chrono::milliseconds maxDelay;

    mutable std::mutex mutex; // guards start/stop against each other
    int inotifyFd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;
    std::atomic<bool> isRunning{false};
    int watchCount = 0;
    // watch descriptor -> index of its Maildir folder
    std::unordered_map<int, std::size_t> folderOfWatch;
    std::deque<std::pair<std::uint32_t, std::size_t>> renamedAway; // cookie, folder

    bool addWatches()
    {
        for (std::size_t i = 0; i < folders.size(); ++i) {
            for (const char* sub : {"/new", "/cur"}) {
                const int wd = inotify_add_watch(inotifyFd, (folders[i] + sub).c_str(), watchMask);
                if (wd < 0)
                    continue;
                folderOfWatch[wd] = i;
                ++watchCount;
            }
        }
        return watchCount > 0;
    }

    // True when the event tells of mail that arrived.
    bool isArrival(const inotify_event& event)
    {
        if (event.mask & IN_Q_OVERFLOW)
            return true;
        const auto folder = folderOfWatch.find(event.wd);
        if (folder == folderOfWatch.end() || (event.mask & IN_ISDIR))
            return false;
        if (event.mask & IN_MOVED_FROM) {
            renamedAway.emplace_back(event.cookie, folder->second);
            if (renamedAway.size() > rememberedCookies)
                renamedAway.pop_front();
            return false;
        }
        if (event.mask & IN_MOVED_TO) {
            for (auto it = renamedAway.begin(); it != renamedAway.end(); ++it) {
                if (it->first == event.cookie && it->second == folder->second) {
                    renamedAway.erase(it);
                    return false;
                }
            }
        }
        return (event.mask & (IN_MOVED_TO | IN_CREATE | IN_CLOSE_WRITE)) != 0;
    }

    // Reads every queued event; true when one of them was an arrival.
    bool drainEvents()
    {
        alignas(inotify_event) char buffer[16 * 1024];
        bool arrived = false;
        for (;;) {
            const ssize_t got = ::read(inotifyFd, buffer, sizeof buffer);
            if (got <= 0)
                return arrived;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                arrived = isArrival(*event) || arrived;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    void run()
    {
        Debounce debounce(quiet, maxDelay);
        for (;;) {
            int timeoutMs = -1;
            if (debounce.pending()) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(debounce.deadline() - Clock::now());
                timeoutMs = static_cast<int>(std::max<std::int64_t>(left.count(), 0));
            }
            pollfd fds[2] = {{inotifyFd, POLLIN, 0}, {wakeRead, POLLIN, 0}};
            const int ready = ::poll(fds, 2, timeoutMs);
            if (ready < 0 && errno != EINTR)
                return;
            if (fds[1].revents != 0)
                return;
            if (ready > 0 && (fds[0].revents & POLLIN) && drainEvents())
                debounce.arrival(Clock::now());
            if (debounce.due(Clock::now())) {
                debounce.reported();
                onNewMail();
            }
        }
    }

    void closeAll()
    {
        closeIfOpen(inotifyFd);
        closeIfOpen(wakeRead);
        closeIfOpen(wakeWrite);
        folderOfWatch.clear();
        renamedAway.clear();
        watchCount = 0;
    }
};

MailWatcher::MailWatcher(std::vector<std::string> maildirFolders, Callback onNewMail, std::chrono::milliseconds quiet,
    std::chrono::milliseconds maxDelay)
    : impl_(std::make_unique<Impl>())
{
    assert(onNewMail && "a mail watcher needs a callback");
    impl_->folders = std::move(maildirFolders);
    impl_->onNewMail = std::move(onNewMail);
    impl_->quiet = quiet;
    impl_->maxDelay = std::max(maxDelay, quiet);
}

MailWatcher::~MailWatcher() { stop(); }

bool MailWatcher::start()
{
    std::lock_guard lock(impl_->mutex);
    if (impl_->isRunning)
        return true;
    impl_->inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    int wake[2] = {-1, -1};
    if (impl_->inotifyFd < 0 || ::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        impl_->closeAll();
        return false;
    }
    impl_->wakeRead = wake[0];
    impl_->wakeWrite = wake[1];
    if (!impl_->addWatches()) {
        impl_->closeAll();
        return false;
    }
    impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
    impl_->isRunning = true;
    return true;
}

void MailWatcher::stop()
{
    std::lock_guard lock(impl_->mutex);
    if (!impl_->isRunning)
        return;
    assert(std::this_thread::get_id() != impl_->thread.get_id() && "stop() called from the watcher's callback");
    const char wake = 1;
    while (::write(impl_->wakeWrite, &wake, 1) < 0 && errno == EINTR) { }
    impl_->thread.join();
    impl_->closeAll();
    impl_->isRunning = false;
}

bool MailWatcher::running() const { return impl_->isRunning; }

int MailWatcher::watchedFolderCount() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->watchCount;
}

} // namespace kvn::outlook
