// The engine: one per connection of the add-in, owner of the processing
// state (addin/engine_state.h), the debug log, the banner, the news window
// and every thread the add-in starts: the start-up run, the immediate and the
// follow-up worker, the banner watchdog and one thread per reminder popup.
//
// Scheduling. RequestRun is the only way to ask for a pass. While the
// start-up run has not finished a request is only remembered, and the run
// asks for the pass itself when it ends. Otherwise a request made while
// nothing runs starts the immediate pass at once and the follow-up worker,
// which waits until the immediate pass is over and then makes one more pass;
// requests made during the immediate pass fold into that one follow-up pass.
// A request made during the follow-up pass makes it run once more when it
// ends, so mail that arrived after its search is not left waiting for the
// next request. Two passes never run at once.
//
// Halting. Shutdown (and the destructor) ask every thread to stop and wake
// every wait; a pass stops between two e-mails and the start-up run between
// two steps, so disconnection waits only for the e-mail in hand, never for a
// pass or a run to finish. Shutdown then saves, only when the start-up run had
// finished: "StopTime", the black-list upkeep and the four data files, each
// replaced whole. No thread outlives the engine. "StopTime" is now, unless a
// pass was running or pending at the disconnection: then it is the moment
// the latest complete pass began (or the stored one, when none completed),
// because the next start takes the unread mail received before "StopTime"
// as seen and would never examine what the halted pass left.
//
// Threads: creation, RequestRun, IsBusy, Recheck, ShowPopup and Shutdown are
// called on the host's main thread (RequestRun and ShowPopup also from the
// engine's own threads). The engine lock of the state guards the lists and
// DeliveredMailIds; the scheduling fields have a lock of their own.
#pragma once

#include "addin/banner.h"
#include "addin/engine_state.h"
#include "addin/news_window.h"
#include "analysis/debug_log.h"
#include "analysis/ip2c_lookup.h"
#include "analysis/new_mail_pass.h"
#include "platform/core/event.h"
#include "platform/core/file_system.h"
#include "platform/core/ui.h"
#include "platform/odbc/odbc.h"
#include "platform/outlook/outlook.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kvn {

// The first-run configuration, run by the start-up run on its thread when the
// profile's "Run" value is empty; it fills the state's lists and writes "Run".
// It may end early when `stopRequested` becomes true (the host disconnects).
using FirstRunConfiguration = std::function<void(EngineState& state, const std::atomic<bool>& stopRequested)>;

// One classification pass; AnalizeNewMail unless a test counts passes.
using ClassificationPass = std::function<PassEnd(PassContext& context)>;

// The waits of the scheduling. Shutdown interrupts every one of them.
struct EngineTimings {
    std::chrono::milliseconds startupWait{10}; // RequestRun's wait for the start-up run
    std::chrono::milliseconds followUpWait{5000}; // the follow-up worker's longest wait for a wake-up
    std::chrono::milliseconds watchdogSleep{20000};
};

// What the engine is made with; the references must outlive it.
struct EngineServices {
    outlook::ApplicationPtr application;
    FileSystem& files;
    const Clock& clock;
    Ui& ui;
    odbc::Odbc& odbc;
    FirstRunConfiguration firstRun; // none: the configuration without a window (addin/first_run.h)
    std::unique_ptr<AppendOnlyFile> logFile; // none: KVNLog.txt where debugLogPath() says
    std::unique_ptr<Banner> banner; // none: a HeadlessBanner
    NewsWindowFactory newsWindow; // none: no news window
    ClassificationPass pass = AnalizeNewMail;
    EngineTimings timings{};
};

// A reminder popup as the engine asks for it.
struct PopupRequest {
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::Information;
    int durationMilliseconds = 3000;
};

class CMain {
public:
    // Learns ProfileName and Install_Dir, shows the banner, makes the news
    // window and starts the start-up run. constructedOK() is false, and no
    // thread is started, when the session's profile cannot be had or its
    // name is not one plain folder name.
    explicit CMain(EngineServices services);
    // Halts and joins every thread, saving nothing, unless Shutdown ran.
    ~CMain();
    CMain(const CMain&) = delete;
    CMain& operator=(const CMain&) = delete;

    bool constructedOK() const { return constructedOK_; }
    const std::string& ProfileName() const { return profileName_; }
    const std::string& Install_Dir() const { return installDir_; }

    // Asks for a classification pass and returns at once (after at most the
    // start-up wait). Does nothing once Shutdown began.
    void RequestRun();

    // True while the start-up run or a pass is pending or running.
    bool IsBusy() const;

    // Searches again from fromDate: CheckFromTime = fromDate, DeliveredMailIds
    // emptied, then RequestRun. Called while IsBusy() is false.
    void Recheck(double fromDate);

    // Unread e-mails in the quarantine folder; negative on any failure.
    std::int64_t CountUnreadQuarantined();

    // Shows the balloon on a thread of its own, which lives for the
    // balloon's duration (or until Shutdown).
    void ShowPopup(const PopupRequest& request);

    // The disconnection: halts every thread as above and, when the start-up
    // run had finished, stores "StopTime", runs the black-list upkeep and
    // saves the data files. Called once; a second call does nothing.
    void Shutdown();

    // Waits until the start-up run has ended and no pass is pending or
    // running, for at most the timeout; true when that came. For tools and
    // tests that must see the work done.
    bool waitUntilIdle(std::chrono::milliseconds timeout) const;

    // Borrowed by the commands and dialogs; the lists behind state().lock.
    EngineState& state() { return state_; }
    DebugLog& log() { return log_; }
    Banner& banner() { return *banner_; }
    // Whether the start-up run reached its end.
    bool startupFinished() const;
    // Whether the start-up run has loaded the profile's stored lists; until
    // then a change to the lists would be replaced by the loading.
    bool storedDataLoaded() const { return storedDataLoaded_.load(); }

private:
    // The start-up run and its steps (startup_run.cpp).
    void startupRun();
    bool readOptions();
    void loadStoredData();
    void openCountries();
    void remindAtStartup();
    void endStartupRun();
    bool stopping() const { return stopRequested_.load(); }

    // The workers (pass_workers.cpp).
    void startImmediate();
    void startFollowUp();
    void immediateWorker();
    void followUpWorker();
    bool waitForImmediatePass(const std::shared_ptr<Event>& wake);
    bool followUpAgain();
    void runPass();

    // The banner watchdog, popups and reminders (engine_popups.cpp).
    void watchdog();
    void remindAfterPass();
    void reapPopups();

    // Shutdown's parts (cmain.cpp).
    void halt();
    void shutdownUpkeep();
    double stopTimeToStore(double now) const;
    void markIdleChange();

    EngineServices services_;
    std::string profileName_;
    std::string installDir_;
    std::string profileKey_;
    bool constructedOK_ = false;
    EngineState state_;
    DebugLog log_;
    std::unique_ptr<Banner> banner_;
    std::unique_ptr<NewsWindow> newsWindow_;
    std::unique_ptr<Ip2cLookup> countries_;
    std::int32_t reminderThreshold_ = -1; // set by the start-up run, read by the follow-up worker

    // The run-request lock and the popup lock.
    std::mutex runRequestLock_;
    std::mutex popupLock_;

    // The scheduling fields, behind schedule_.
    mutable std::mutex schedule_;
    mutable std::condition_variable idleChanged_;
    std::shared_ptr<Event> startupPending_;
    std::shared_ptr<Event> immediateRunning_;
    std::shared_ptr<Event> followUpWake_;
    bool followUpBusy_ = false;
    bool runPending_ = false;
    bool requestedDuringFollowUp_ = false;
    bool startupThreadActive_ = false;
    bool startupFinished_ = false;
    bool halting_ = false;
    bool shutDown_ = false;
    bool passPendingAtHalt_ = false;
    std::optional<double> latestCompletePassBegan_; // OLE date

    std::thread startupThread_;
    std::thread immediateThread_;
    std::thread followUpThread_;
    std::thread watchdogThread_;

    struct PopupThread {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<PopupThread> popups_; // behind popupLock_

    // Set once by halting; a pass reads it between e-mails.
    std::atomic<bool> stopRequested_{false};
    // Set once by the start-up run, when the stored data is in the state.
    std::atomic<bool> storedDataLoaded_{false};
    // Set once by halting; every timed wait of the watchdog and the popups ends on it.
    Event halted_{Event::Reset::Manual};
};

} // namespace kvn
