// The folders the engine works on: the quarantine folder "KVN Quarantined"
// (made once by the first-run configuration, with its Outlook-bar
// shortcut), the default Deleted Items folder, and every "Inbox" directly
// below a store's top folder, where new mail is looked for.
//
// All three run on the start-up thread before any pass may start (or, for
// CreateQuarantineFolder, inside the first-run configuration on that
// thread). Every mail-store call is tested; none shows a message.
#pragma once

#include "addin/engine_state.h"
#include "analysis/debug_log.h"
#include "platform/outlook/outlook.h"

#include <string_view>

namespace kvn {

inline constexpr std::string_view quarantineFolderName = "KVN Quarantined"; // compared with letter case
inline constexpr std::string_view archiveStoreName = "Archive Folders"; // skipped, compared ignoring case
inline constexpr std::string_view inboxFolderName = "Inbox"; // compared with letter case

// Makes "KVN Quarantined" at the top of the store holding the default
// Contacts folder and puts a shortcut to it third in the Outlook bar's first
// group. True when the folder was there already (nothing is changed then) or
// when the shortcut was added; false on any failure, a folder made before it
// staying.
bool CreateQuarantineFolder(outlook::Application& application);

// Deleted Items and "KVN Quarantined" (looked for at the top of the store
// holding Deleted Items only) into the state's folders; the folders after a
// failing call stay empty. True when the quarantine folder was found.
bool FindWorkFolders(EngineState& state, outlook::Application& application);

// Inbox discovery: the state's inbox folders, store names, default inbox
// (the Inbox of the store named by the profile's option "DefaultInbox") and
// DeliveredMailIds, emptied first and then filled with the unread e-mails
// each Inbox received between CheckFromTime and the last stop (both
// included), which the passes then leave alone. Stores named "Archive
// Folders" are skipped; only an "Inbox" directly below a top folder counts.
// A failing call ends the walk it belongs to (the stores, one store's
// folders, or one Inbox's search); what was found so far stays. Writes the
// discovery's log lines.
void GetAllInboxFolders(EngineState& state, outlook::Application& application, DebugLog& log);

} // namespace kvn
