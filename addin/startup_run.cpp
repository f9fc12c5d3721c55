// The start-up run, on its own thread: the options, inbox discovery, the
// stored data (or the first-run configuration), the work folders, the
// quarantine clean-up, the IP-to-country database and the start-up
// reminder, each step followed by its log line; then the banner is hidden,
// the watchdog started and, when asked for, the first pass.
//
// A stop request ends the run between two steps. The run then never
// reaches its end, so Shutdown saves nothing and "StopTime" keeps its value:
// the next start searches the same window again.
#include "addin/cmain.h"
#include "addin/first_run.h"

#include "addin/quarantine_upkeep.h"
#include "addin/work_folders.h"
#include "lists/settings.h"
#include "lists/settings_table.h"

namespace kvn {
namespace {

const std::string analysingText
    = "Korvane is analizing your new e-mails." + std::string(6, ' ') + "Please wait." + std::string(6, ' ');

std::string startupStep(int step) { return "CMain - p" + std::to_string(step) + " - "; }

} // namespace

void CMain::startupRun()
{
    if (readOptions()) {
        GetAllInboxFolders(state_, *services_.application, log_);
        log_.line(startupStep(4));
    }
    if (!stopping()) {
        loadStoredData();
        log_.line(startupStep(5));
    }
    if (!stopping()) {
        FindWorkFolders(state_, *services_.application);
        log_.line(startupStep(6));
        autoCleanQuarantine(state_.folders, readDword(profileKey_, setting::AutoClean, autoCleanOff), services_.clock);
        log_.line(startupStep(7));
    }
    if (!stopping()) {
        openCountries();
        log_.line(startupStep(8));
        remindAtStartup();
        log_.line("CMain - finished - ");
    }
    endStartupRun();
}

bool CMain::readOptions()
{
    log_.start(readDword(profileKey_, setting::UseLogging, 0) != 0);
    log_.line(startupStep(1));
    Settings settings = readSettings(profileKey_);
    state_.settings = settings;
    reminderThreshold_ = settings.reminderThreshold;
    {
        std::lock_guard<std::mutex> hold(state_.lock);
        state_.CheckFromTime = settings.lastStopTime - 1.0;
    }
    log_.line(startupStep(2));
    log_.line(startupStep(3));
    return !stopping();
}

void CMain::loadStoredData()
{
    if (readString(profileKey_, setting::Run, "").empty()) {
        // Lists written before the first start (by kvnctl, or a copy of
        // another machine's files) are loaded first and the first run adds
        // to them; otherwise the save at disconnection would replace them
        // with the first run's lists alone.
        {
            std::lock_guard<std::mutex> hold(state_.lock);
            static_cast<void>(state_.data.loadAll());
        }
        storedDataLoaded_.store(true);
        if (services_.firstRun)
            services_.firstRun(state_, stopRequested_);
        else
            runFirstRun(
                state_, FirstRunServices{*services_.application, services_.ui, services_.files, services_.clock});
        std::lock_guard<std::mutex> hold(state_.lock);
        state_.data.statistics().counters = StatCounters{};
        return;
    }
    std::lock_guard<std::mutex> hold(state_.lock);
    // Problems are reported to stderr by the load; what could be read is used.
    static_cast<void>(state_.data.loadAll());
    storedDataLoaded_.store(true);
    if (state_.data.sameSenderOff())
        state_.settings.sameSender = false;
    state_.CalibrationPending = state_.data.calibrationNeeded();
}

void CMain::openCountries()
{
    countries_->openIp2cDatabase(state_.settings.useCountry);
    state_.settings.useCountry = countries_->useCountry();
}

void CMain::endStartupRun()
{
    if (!stopping()) {
        banner_->Hide();
        banner_->SetText(analysingText);
    }
    bool passAsked = false;
    {
        std::lock_guard<std::mutex> hold(schedule_);
        if (!halting_) {
            watchdogThread_ = std::thread(&CMain::watchdog, this);
            startupFinished_ = true;
            startupPending_->set();
            startupPending_.reset();
            passAsked = runPending_;
        }
    }
    if (startupFinished() && (passAsked || readDword(profileKey_, setting::StartUp, 0) == 1))
        RequestRun();
    std::lock_guard<std::mutex> hold(schedule_);
    startupThreadActive_ = false;
    markIdleChange();
}

} // namespace kvn
