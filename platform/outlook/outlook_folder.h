// Folders of a mail store as the object model shows them: each store has a
// top folder holding "Inbox", the store's other folders and "Contacts".
#pragma once

#include "platform/outlook/outlook_items.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kvn::outlook {

// DefaultItemType values, and the folder type passed to Folders::add.
constexpr int olMailItem = 0;
constexpr int olContactItem = 2;
constexpr int olFolderInbox = 6; // Folders.Add(name, 6): a folder of mail items

class Folders;

class Folder {
public:
    virtual ~Folder() = default;
    virtual std::string name() = 0; // empty on failure
    // The folder above; nullptr for a store's top folder.
    virtual std::shared_ptr<Folder> parent() = 0;
    virtual std::shared_ptr<Folders> folders() = 0;
    virtual ItemsPtr items() = 0;
    virtual std::optional<int> defaultItemType() = 0; // olMailItem or olContactItem
    // Unique among all folders of the session; the same folder gives the same text.
    virtual std::string entryId() = 0;
    // Files a whole message (RFC 5322 bytes) in this folder of e-mails, read
    // or unread, so that no reader ever sees half of it: the filed e-mail, or
    // nullptr when the folder holds no e-mails or the message could not be
    // written whole (nothing of it is in the folder then).
    virtual std::shared_ptr<MailItem> fileMessage(std::string_view message, bool read)
    {
        (void)message;
        (void)read;
        return nullptr;
    }
};
using FolderPtr = std::shared_ptr<Folder>;

// The sub-folders of a folder, in a stable order (for a top folder: Inbox,
// then the other folders by name, then Contacts).
class Folders {
public:
    virtual ~Folders() = default;
    virtual std::size_t count() = 0;
    virtual FolderPtr getFirst() = 0;
    virtual FolderPtr getNext() = 0; // nullptr after the last
    // The sub-folder of exactly this name (letter case counts); nullptr when none.
    virtual FolderPtr item(std::string_view name) = 0;
    // Creates a sub-folder of mail items (type olFolderInbox); nullptr when
    // the name is empty, already taken, or the folder cannot be created.
    virtual FolderPtr add(std::string_view name, int type) = 0;
};
using FoldersPtr = std::shared_ptr<Folders>;

} // namespace kvn::outlook
