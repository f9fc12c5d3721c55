#include "addin/cmain.h"

#include "addin/quarantine_upkeep.h"
#include "lists/black_list_upkeep.h"
#include "lists/settings.h"
#include "lists/settings_table.h"
#include "platform/core/profile_name.h"

#include <optional>

namespace kvn {
namespace {

const std::string initializingText
    = "Korvane is initializing..." + std::string(12, ' ') + "Please wait." + std::string(12, ' ');

// The profile of the running session, "Default" when it has no name; none
// when no session can be had.
std::optional<std::string> sessionProfileName(outlook::Application* application)
{
    const std::shared_ptr<outlook::CdoSession> session = application ? application->createCdoSession() : nullptr;
    if (!session)
        return std::nullopt;
    return session->profileName().empty() ? std::string("Default") : session->profileName();
}

std::unique_ptr<AppendOnlyFile> logFileOr(std::unique_ptr<AppendOnlyFile> file)
{
    return file ? std::move(file) : openAppendOnlyFile(debugLogPath());
}

std::unique_ptr<Banner> bannerOr(std::unique_ptr<Banner> banner)
{
    return banner ? std::move(banner) : std::make_unique<HeadlessBanner>();
}

} // namespace

CMain::CMain(EngineServices services)
    : services_(std::move(services)),
      profileName_(sessionProfileName(services_.application.get()).value_or(std::string())),
      installDir_(readInstallDir()),
      profileKey_(profileName_),
      constructedOK_(!profileName_.empty() && checkProfileName(profileName_).ok()),
      state_(ProfileData(installDir_, profileName_, services_.files, services_.clock)),
      log_(logFileOr(std::move(services_.logFile)), services_.clock),
      banner_(bannerOr(std::move(services_.banner)))
{
    if (!constructedOK_)
        return;
    startupPending_ = std::make_shared<Event>(Event::Reset::Auto);
    banner_->setOptionKey(profileKey_);
    banner_->SetText(initializingText);
    banner_->Show();
    if (services_.newsWindow)
        newsWindow_ = services_.newsWindow(profileName_, installDir_);
    countries_ = std::make_unique<Ip2cLookup>(services_.odbc, services_.ui, installDir_, profileKey_);
    // Every field the start-up run uses is set before its thread starts.
    startupThreadActive_ = true;
    startupThread_ = std::thread(&CMain::startupRun, this);
}

CMain::~CMain() { halt(); }

bool CMain::IsBusy() const
{
    std::lock_guard<std::mutex> hold(schedule_);
    return startupPending_ || immediateRunning_ || followUpWake_;
}

bool CMain::startupFinished() const
{
    std::lock_guard<std::mutex> hold(schedule_);
    return startupFinished_;
}

bool CMain::waitUntilIdle(std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> hold(schedule_);
    return idleChanged_.wait_for(hold, timeout,
        [this] { return !startupThreadActive_ && !startupPending_ && !immediateRunning_ && !followUpWake_; });
}

void CMain::markIdleChange() { idleChanged_.notify_all(); }

void CMain::Recheck(double fromDate)
{
    {
        std::lock_guard<std::mutex> hold(state_.lock);
        state_.CheckFromTime = fromDate;
        state_.deliveredMailIds.clear();
    }
    RequestRun();
}

std::int64_t CMain::CountUnreadQuarantined() { return countUnreadItems(state_.folders.quarantine); }

void CMain::halt()
{
    std::shared_ptr<Event> wake;
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> hold(schedule_);
        halting_ = true;
        stopRequested_.store(true);
        passPendingAtHalt_ = passPendingAtHalt_ || immediateRunning_ || followUpWake_;
        wake = followUpWake_;
        for (std::thread* thread : {&startupThread_, &immediateThread_, &followUpThread_, &watchdogThread_})
            threads.push_back(std::move(*thread));
    }
    // No thread starts once halting_ is set; wake every wait, then wait only
    // for each thread's step in hand.
    halted_.set();
    if (wake)
        wake->set();
    for (std::thread& thread : threads)
        if (thread.joinable())
            thread.join();
    std::vector<PopupThread> popups;
    {
        std::lock_guard<std::mutex> hold(popupLock_);
        popups = std::move(popups_);
    }
    for (PopupThread& popup : popups)
        popup.thread.join();
}

void CMain::Shutdown()
{
    {
        std::lock_guard<std::mutex> hold(schedule_);
        if (shutDown_)
            return;
        shutDown_ = true;
    }
    halt();
    if (!startupFinished())
        return;
    shutdownUpkeep();
    if (countries_)
        countries_->close();
}

double CMain::stopTimeToStore(double now) const
{
    std::lock_guard<std::mutex> hold(schedule_);
    if (!passPendingAtHalt_)
        return now;
    return latestCompletePassBegan_.value_or(state_.settings.lastStopTime);
}

void CMain::shutdownUpkeep()
{
    const Clock& clock = services_.clock;
    const double stopTime = stopTimeToStore(clock.nowOleDate());
    state_.settings.lastStopTime = stopTime;
    writeString(profileKey_, setting::StopTime, formatStopTime(stopTime));
    const bool removeIdle = readDword(profileKey_, setting::RemoveBlackAfter, 1) != 0;
    const auto maximum = static_cast<std::int32_t>(readDword(profileKey_, setting::NotExceedBlack, 100));

    std::lock_guard<std::mutex> hold(state_.lock);
    FilterLists& lists = state_.data.lists();
    datelessBlackAddressesDated(lists, clock);
    if (removeIdle)
        removeIdleBlackAddresses(lists, cutOffDate(clock, 30));
    if (maximum > 0)
        capBlackAddresses(lists, static_cast<std::size_t>(maximum), removeIdle, clock);
    // Problems are reported to stderr by the save; the files it could not
    // replace keep what they held.
    static_cast<void>(state_.data.saveAll());
}

} // namespace kvn
