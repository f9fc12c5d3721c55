// The mail store as the system's code sees it: an application with its
// "MAPI" namespace, stores, folders and items, and the objects created by
// name. Handles are reference-counted (std::shared_ptr); a call that fails
// answers empty (nullptr, an empty optional, false) and the caller ends its
// step. Different objects may be used on different threads at once.
#pragma once

#include "platform/outlook/outlook_explorer.h"
#include "platform/outlook/outlook_folder.h"
#include "platform/outlook/outlook_inspectors.h"
#include "platform/outlook/outlook_items.h"
#include "platform/outlook/outlook_redemption.h"

#include <memory>
#include <string_view>

namespace kvn::outlook {

// GetDefaultFolder numbers.
constexpr int olFolderDeletedItems = 3;
constexpr int olFolderSentMail = 5;
// olFolderInbox (6) is in outlook_folder.h; Folders.Add uses it too.
constexpr int olFolderContacts = 10;

class Namespace {
public:
    virtual ~Namespace() = default;
    // One top folder per store, in the profile's order.
    virtual FoldersPtr folders() = 0;
    // A default folder of the first store: olFolderDeletedItems,
    // olFolderSentMail, olFolderInbox or olFolderContacts. Deleted Items and
    // Sent Items are created when missing. nullptr for any other number, or
    // when the profile has no store.
    virtual FolderPtr getDefaultFolder(int which) = 0;
};
using NamespacePtr = std::shared_ptr<Namespace>;

class Application {
public:
    virtual ~Application() = default;
    // Only "MAPI" is known; nullptr for any other type.
    virtual NamespacePtr getNamespace(std::string_view type) = 0;
    // olMailItem gives a new e-mail kept in memory; nullptr for other types.
    virtual ItemPtr createItem(int type) = 0;
    // The objects the system creates by name. nullptr when one cannot be made.
    virtual std::shared_ptr<SafeMailItem> createSafeMailItem() = 0;
    virtual std::shared_ptr<SafeContactItem> createSafeContactItem() = 0;
    virtual std::shared_ptr<MapiUtils> createMapiUtils() = 0;
    virtual std::shared_ptr<CdoSession> createCdoSession() = 0;
    // The explorer window showing the session's folders; nullptr when there
    // is none (a program without a window).
    virtual ExplorerPtr activeExplorer() { return nullptr; }
    // The open inspectors; nullptr when the program shows none.
    virtual InspectorsPtr inspectors() { return nullptr; }
};
using ApplicationPtr = std::shared_ptr<Application>;

} // namespace kvn::outlook
