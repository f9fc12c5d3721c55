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
//
// A watch ends when its folder is deleted (IN_IGNORED follows) or renamed
// away (IN_MOVE_SELF: the watch would follow the folder elsewhere, so it is
// dropped). Such a folder is looked for again at its path on a short retry
// timer, since a restore may bring back the whole Maildir and not only the
// folder; events in between are lost, so being back counts as an arrival.
//
// Locks: `control` orders start() and stop() and is held while stop() joins
// the thread; `state` guards what the thread and the callers share and is
// never held across a join or a callback, so a callback may ask anything.
#include "platform/outlook/mail_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

namespace kvn::outlook {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t watchMask = IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_CLOSE_WRITE | IN_DELETE_SELF
    | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
constexpr std::chrono::milliseconds rewatchInterval{250};
constexpr std::array<const char*, 2> watchedSubfolders = {"/new", "/cur"};
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

    std::mutex control; // orders start() and stop(); held while stop() joins
    mutable std::mutex state; // guards watchCount and failure
    int inotifyFd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;
    std::atomic<bool> isRunning{false};
    int watchCount = 0;
    std::string failure;
    // Of the thread (and of start() before it runs): watch descriptor -> the
    // path it watches and the index of its Maildir folder; paths whose watch
    // ended, to be watched again once they are back.
    std::unordered_map<int, std::pair<std::string, std::size_t>> watches;
    std::vector<std::pair<std::string, std::size_t>> lost;
    std::deque<std::pair<std::uint32_t, std::size_t>> renamedAway; // cookie, folder

    bool watch(const std::string& path, std::size_t folder)
    {
        const int wd = inotify_add_watch(inotifyFd, path.c_str(), watchMask);
        if (wd < 0)
            return false;
        watches[wd] = {path, folder};
        std::lock_guard lock(state);
        watchCount = static_cast<int>(watches.size());
        return true;
    }

    bool addWatches()
    {
        for (std::size_t i = 0; i < folders.size(); ++i) {
            for (const char* sub : watchedSubfolders)
                watch(folders[i] + sub, i);
        }
        return !watches.empty();
    }

    void forget(int wd)
    {
        const auto found = watches.find(wd);
        if (found == watches.end())
            return;
        lost.push_back(found->second);
        watches.erase(found);
        std::lock_guard lock(state);
        watchCount = static_cast<int>(watches.size());
    }

    // Watches again what came back; true when anything did.
    bool rewatchLost()
    {
        const std::size_t before = lost.size();
        std::erase_if(lost, [&](const auto& entry) { return watch(entry.first, entry.second); });
        return lost.size() != before;
    }

    // True when the event tells of mail that arrived.
    bool isArrival(const inotify_event& event)
    {
        if (event.mask & IN_Q_OVERFLOW)
            return true;
        const auto found = watches.find(event.wd);
        if (found == watches.end())
            return false;
        if (event.mask & IN_IGNORED) {
            forget(event.wd);
            return false;
        }
        if (event.mask & IN_MOVE_SELF) {
            // Followed elsewhere, the watch would see another folder: drop it (IN_IGNORED follows).
            inotify_rm_watch(inotifyFd, event.wd);
            forget(event.wd);
            return false;
        }
        const std::size_t folder = found->second.second;
        if (event.mask & IN_ISDIR)
            return false;
        if (event.mask & IN_MOVED_FROM) {
            renamedAway.emplace_back(event.cookie, folder);
            if (renamedAway.size() > rememberedCookies)
                renamedAway.pop_front();
            return false;
        }
        if (event.mask & IN_MOVED_TO) {
            for (auto it = renamedAway.begin(); it != renamedAway.end(); ++it) {
                if (it->first == event.cookie && it->second == folder) {
                    renamedAway.erase(it);
                    return false;
                }
            }
        }
        return (event.mask & (IN_MOVED_TO | IN_CREATE | IN_CLOSE_WRITE)) != 0;
    }

    // Reads every queued event; whether one of them was an arrival, or empty
    // when the events cannot be read.
    std::optional<bool> drainEvents()
    {
        alignas(inotify_event) char buffer[16 * 1024];
        bool arrived = false;
        for (;;) {
            const ssize_t got = ::read(inotifyFd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && errno == EAGAIN)
                return arrived;
            if (got <= 0)
                return std::nullopt;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                arrived = isArrival(*event) || arrived;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    void die(const std::string& why, int error)
    {
        {
            std::lock_guard lock(state);
            failure = why + ": " + (error != 0 ? std::strerror(error) : "end of events")
                + "; new mail is no longer noticed";
        }
        isRunning = false;
    }

    int pollTimeout(const Debounce& debounce, Clock::time_point nextRewatch) const
    {
        std::optional<Clock::time_point> wake;
        if (debounce.pending())
            wake = debounce.deadline();
        if (!lost.empty())
            wake = wake ? std::min(*wake, nextRewatch) : nextRewatch;
        if (!wake)
            return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - Clock::now());
        return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
    }

    void run()
    {
        Debounce debounce(quiet, maxDelay);
        Clock::time_point nextRewatch = Clock::now() + rewatchInterval;
        for (;;) {
            pollfd fds[2] = {{inotifyFd, POLLIN, 0}, {wakeRead, POLLIN, 0}};
            const int ready = ::poll(fds, 2, pollTimeout(debounce, nextRewatch));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                return die("Cannot wait for new mail", errno);
            if (fds[1].revents != 0)
                return;
            if (ready > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL))) {
                errno = 0;
                const std::optional<bool> arrived = drainEvents();
                if (!arrived)
                    return die("Cannot read the new-mail events", errno);
                if (*arrived)
                    debounce.arrival(Clock::now());
            }
            if (!lost.empty() && Clock::now() >= nextRewatch) {
                if (rewatchLost())
                    debounce.arrival(Clock::now());
                nextRewatch = Clock::now() + rewatchInterval;
            }
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
        watches.clear();
        lost.clear();
        renamedAway.clear();
        std::lock_guard lock(state);
        watchCount = 0;
    }

    // Ends the thread, whether it runs or stopped by itself.
    void join()
    {
        assert(std::this_thread::get_id() != thread.get_id() && "stop() called from the watcher's callback");
        const char wake = 1;
        while (::write(wakeWrite, &wake, 1) < 0 && errno == EINTR) { }
        thread.join();
        closeAll();
        isRunning = false;
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
    std::lock_guard lock(impl_->control);
    if (impl_->isRunning)
        return true;
    if (impl_->thread.joinable())
        impl_->join(); // it stopped by itself
    {
        std::lock_guard stateLock(impl_->state);
        impl_->failure.clear();
    }
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
    impl_->isRunning = true;
    impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
    return true;
}

void MailWatcher::stop()
{
    std::lock_guard lock(impl_->control);
    if (impl_->thread.joinable())
        impl_->join();
}

bool MailWatcher::running() const { return impl_->isRunning; }

std::string MailWatcher::failure() const
{
    std::lock_guard lock(impl_->state);
    return impl_->failure;
}

int MailWatcher::watchedFolderCount() const
{
    std::lock_guard lock(impl_->state);
    return impl_->watchCount;
}

} // namespace kvn::outlook
