// What a classification pass works on: the engine's folders, lists, data and
// settings, lent for the length of one pass. The engine owns all of it
// (addin/engine_state.h).
//
// Threads: a pass runs on a worker thread while the Friend and Foe commands
// may change the lists on the GUI thread. Everything behind `lock` (the
// profile data: lists, own addresses, decisions, statistics; and
// DeliveredMailIds) is touched only with the lock held, and the lock is held
// only for the list operation itself, never across a mail-store call. The
// folders, settings, CheckFromTime and CalibrationPending do not change while
// a pass runs (the commands that change them wait until no pass is busy).
#pragma once

#include "analysis/debug_log.h"
#include "analysis/delivered_mail_ids.h"
#include "analysis/pass_observer.h"
#include "lists/profile_data.h"
#include "lists/settings.h"
#include "platform/core/clock.h"
#include "platform/outlook/outlook.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace kvn {

class Ip2cLookup;

// The folders found at start-up; each may be empty (nullptr).
struct PassFolders {
    std::vector<outlook::FolderPtr> inboxes; // searched in this order; an empty slot is passed over
    outlook::FolderPtr quarantine; // "KVN Quarantined"
    outlook::FolderPtr deletedItems;
    outlook::FolderPtr defaultInbox; // none: trusted mail stays where it arrived
};

struct PassContext {
    outlook::Application& application;
    std::mutex& lock; // the engine lock
    ProfileData& data; // behind the lock
    DeliveredMailIds& delivered; // behind the lock
    const PassFolders& folders;
    const Settings& settings;
    double checkFromTime; // OLE date: the pass looks at unread mail received since
    bool calibrationPending; // some own address still has no calibration text
    Ip2cLookup* countries; // the IP-to-country lookup; null when there is none
    DebugLog& log;
    const Clock& clock;
    // Set from another thread to stop the pass at the next e-mail boundary.
    const std::atomic<bool>* stopRequested = nullptr;
    // Told of each e-mail's verdict (kvnctl explain); null in real passes.
    PassObserver* observer = nullptr;

    bool stopping() const { return stopRequested != nullptr && stopRequested->load(std::memory_order_relaxed); }
};

} // namespace kvn
