// The processing state the engine owns and lends to inbox discovery, the
// passes and the commands: the profile's data, DeliveredMailIds, the folders
// found at start-up, the settings copy, CheckFromTime, CalibrationPending and
// the day of the first run, with the one engine lock.
//
// Threads: `lock` guards `data` (lists, own addresses, decisions, statistics)
// and `deliveredMailIds`; whoever touches them holds it for the list
// operation only, never across a mail-store call or a message box. The other
// fields are written by the start-up run, and by commands only while no pass
// is busy; passes only read them.
#pragma once

#include "analysis/delivered_mail_ids.h"
#include "analysis/pass_context.h"
#include "lists/profile_data.h"
#include "lists/settings.h"

#include <mutex>
#include <string>
#include <vector>

namespace kvn {

struct EngineState {
    explicit EngineState(ProfileData profileData) : data(std::move(profileData)) { }

    std::mutex lock;
    ProfileData data;
    DeliveredMailIds deliveredMailIds;

    PassFolders folders; // inboxes, quarantine, Deleted Items, default inbox
    std::vector<std::string> storeNames; // the stores searched, in discovery order
    Settings settings;
    double CheckFromTime = 30000.0 - 1.0; // OLE date; "StopTime" minus one day
    bool CalibrationPending = false;
    std::string firstRunDate; // "Run": the day of the profile's first run, "%m.%d.%Y"

    // What one pass works on; the state must outlive the pass.
    PassContext passContext(outlook::Application& application, DebugLog& log, const Clock& clock,
        Ip2cLookup* countries = nullptr, const std::atomic<bool>* stopRequested = nullptr)
    {
        return PassContext{application, lock, data, deliveredMailIds, folders, settings, CheckFromTime,
            CalibrationPending, countries, log, clock, stopRequested};
    }
};

} // namespace kvn
