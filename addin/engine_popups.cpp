// The reminder popups, the reminders at start-up and after follow-up passes,
// and the banner watchdog. Every timed wait here ends at once when the
// engine halts.
#include "addin/cmain.h"

#include "addin/banner.h"
#include "lists/settings.h"
#include "lists/settings_table.h"

namespace kvn {
namespace {

const std::string reminderTitle = "KVN quarantined e-mail reminder";

std::string unreadReminderText(std::int64_t count)
{
    return "There are " + std::to_string(count) + " unread e-mails in the KVN Quarantined folder";
}

} // namespace

void CMain::ShowPopup(const PopupRequest& request)
{
    std::lock_guard<std::mutex> hold(popupLock_);
    if (stopRequested_.load())
        return;
    reapPopups();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, request, done] {
        services_.ui.showBalloon({request.title, request.text, request.icon, request.durationMilliseconds});
        // The balloon closes itself; the thread lives as long as it shows.
        halted_.wait(std::chrono::milliseconds(request.durationMilliseconds));
        done->store(true);
    });
    popups_.push_back({std::move(thread), std::move(done)});
}

// The caller holds popupLock_.
void CMain::reapPopups()
{
    std::erase_if(popups_, [](PopupThread& popup) {
        if (!popup.done->load())
            return false;
        popup.thread.join();
        return true;
    });
}

void CMain::remindAtStartup()
{
    const std::uint32_t combo = readDword(profileKey_, setting::ComboQWReminder, 0);
    if (reminderThreshold_ < 0 || combo != 0)
        return;
    const std::int64_t count = CountUnreadQuarantined();
    if (count < 0)
        ShowPopup(
            {reminderTitle, "There was an error retrieving the number of unread e-mails\nin the KVN Quarantined folder",
                MessageIcon::Error, 3000});
    else if (count > reminderThreshold_)
        ShowPopup({reminderTitle, unreadReminderText(count), MessageIcon::Information, 3000});
    // Only a reminder "when a new e-mail is received" follows the passes.
    reminderThreshold_ = -1;
}

void CMain::remindAfterPass()
{
    if (reminderThreshold_ < 0)
        return;
    const std::int64_t count = CountUnreadQuarantined();
    if (count > reminderThreshold_)
        ShowPopup({reminderTitle, unreadReminderText(count), MessageIcon::Information, 3000});
}

void CMain::watchdog()
{
    do {
        bool passesIdle = false;
        {
            std::lock_guard<std::mutex> hold(schedule_);
            passesIdle = !immediateRunning_ && !followUpWake_;
        }
        if (passesIdle && bannerAllowed(profileKey_))
            banner_->Hide();
    } while (!halted_.wait(services_.timings.watchdogSleep));
}

} // namespace kvn
