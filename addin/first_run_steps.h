// The three steps of the first-run configuration that read the mail store:
// the contacts, the recipients of sent e-mails, and the senders in folders
// the user chose. Each adds what it finds to the white list (see
// first_run_addresses.h), taking the engine lock for each address only,
// never across a mail-store call. Run on the configuration's own thread.
#pragma once

#include "lists/filter_lists.h"
#include "platform/outlook/outlook.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace kvn {

// The white list the steps add to, the lock that guards it, and the date the
// new entries carry ("%Y.%m.%d").
struct WhiteListTarget {
    std::mutex& lock;
    FilterLists& lists;
    std::string today;
};

// Moves the "Building white list" bar (0..100).
using BarSetter = std::function<void(int position)>;

// The first three e-mail addresses of every contact of the default Contacts
// folder, each under its own display name; an address already present stays
// as it is. False when the folder, its items (also a folder that cannot be
// read) or the safe contact object cannot be had; addresses added before a
// failure stay.
bool addContactAddresses(outlook::Application& application, WhiteListTarget& target);

// Every recipient of every e-mail in the default Sent Items folder, under the
// recipient's name (the address when it has none); an entry already present
// whose name is an address gets that name. The bar goes 10 + done / total * 40
// (truncated) after each e-mail, and to 50 when the folder is empty or all is
// done. False, the bar left where it stood, when the folder, its items, the
// safe mail object or the clean-up object cannot be had. An e-mail that
// cannot be read adds nothing and the walk goes on.
bool addSentRecipients(outlook::Application& application, WhiteListTarget& target, const BarSetter& bar);

// The sender of every e-mail in the chosen folders, in turn, under the
// sender's name, present entries treated as for sent e-mails. The bar goes
// 50 + done / total * 50 (truncated, counted over all the folders) and to 100
// at the end. False when the items of a chosen folder cannot be had (then
// nothing is read and the bar stays at 50), or the safe mail or clean-up
// object cannot be had.
bool addFolderSenders(outlook::Application& application, const std::vector<outlook::FolderPtr>& folders,
    WhiteListTarget& target, const BarSetter& bar);

} // namespace kvn
