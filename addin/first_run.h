// The first run of a profile: what the start-up run does instead of loading
// the data files when the option "Run" is empty. The dialog "Configuring
// KVN" builds the first lists (first_run_dialog.h); then the address indexes
// are made to agree with the lists and "Run" records the day, whatever the
// outcome, so that the configuration runs once per profile.
//
// After a failed configuration the lists keep what the steps built (the
// import, the contacts, the recipients found before the failure) and the
// indexes are rebuilt from them, as after success: those lists are what the
// disconnection saves and the next start loads, so this session filters by
// the same lists as the next one, and nothing the user asked to import is
// dropped while the dialog never comes back.
//
// Threads: runs on the start-up run's thread, before any pass may start.
#pragma once

#include "addin/engine_state.h"
#include "addin/first_run_dialog.h"

#include <functional>
#include <string>

namespace kvn {

// Shows the dialog modally and returns whether it closed with success.
using FirstRunWindow = std::function<bool(FirstRunDialog& dialog)>;

// The dialog without a window: "Next" with the dialog's first choices (the
// contacts and the sent e-mails, no import, no other folders), the bars'
// positions as progress through the Ui service, the outcome as a message
// box with the result text, then "Done".
bool runWithoutWindow(FirstRunDialog& dialog, Ui& ui);

// Runs the dialog in the window given, or without one, then finishes the
// first run (finishFirstRun). True when the configuration succeeded.
bool runFirstRun(EngineState& state, FirstRunServices services, const FirstRunWindow& window = {});

// What follows the dialog, successful or not: both FirstCharIndex texts
// rebuilt from the Address sequences (under the engine lock), "Run" = today
// ("%m.%d.%Y") written to the profile's key and kept in the state. A "Run"
// that cannot be written is said on stderr (the next start then runs the
// configuration again).
void finishFirstRun(EngineState& state, const Clock& clock);

} // namespace kvn
