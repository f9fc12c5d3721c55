// The object model over Maildir++ stores: how a profile's stores are opened.
#pragma once

#include "platform/outlook/outlook.h"

#include <string>
#include <vector>

namespace kvn::registry {
class Registry;
}

namespace kvn::outlook {

// One store of a profile.
struct StoreConfig {
    std::string displayName = "Personal Folders"; // the Name of the store's top folder
    std::string root; // the Maildir++ root: its own cur/new/tmp are the Inbox
    std::string contactsFolder; // a folder of .vcf files; empty: an empty Contacts folder
    std::string trashFolder = "Trash"; // Deleted Items: ".Trash"
    std::string sentFolder = "Sent"; // Sent Items: ".Sent"
};

// The Inbox of a store is its root: a new-mail watcher watches root/new and
// root/cur of each store (MailWatcher with the roots).
//
// An application whose "MAPI" namespace shows the stores in the order given;
// the first one is the default store. profileName is what the CDO session
// reports ("Default" when empty).
ApplicationPtr openMaildirApplication(std::vector<StoreConfig> stores, std::string profileName);

// The same with an ActiveExplorer whose Outlook bar keeps the profile's
// groups in the registry (outlook_bar_store.h); the registry must outlive
// the application.
ApplicationPtr openMaildirApplication(
    std::vector<StoreConfig> stores, std::string profileName, registry::Registry& registry);

} // namespace kvn::outlook
