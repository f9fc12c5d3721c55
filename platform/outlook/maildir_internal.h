// What the files of the Maildir layer share: the store, its folders, the
// cache of parsed messages and the item factories. Not for callers.
#pragma once

#include "platform/outlook/maildir_listing.h"
#include "platform/outlook/maildir_store.h"
#include "platform/outlook/message_file.h"
#include "platform/outlook/new_mail_item.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kvn::outlook {

// The parses of one message, dropped by MapiUtils::cleanup().
struct MessageCache {
    // Which cache this is, for the registry's kept body: never reused.
    std::uint64_t serial = 0;
    std::mutex mutex;
    std::optional<MessageHeaders> headers;
    // The raw recipient fields while nobody asked for the recipients; once
    // parsed into headers, empty.
    std::optional<RecipientFields> unparsedRecipients;
    std::optional<MessageContent> content;
    // The content's text body is still to be made from its HTML body.
    bool textFromHtml = false;
    // Where the body starts, from the header read: the bodies are then
    // parsed without reading the header block a second time.
    std::optional<BodyLayout> layout;
};

// The caches of every live item of a session, so that cleanup reaches them.
// It also keeps the body bytes of the one message whose first read took in
// its whole file (message_first_read.h), for the body read that usually
// follows at once; one message's only, so that items held by the thousand
// (a folder's list) hold no bodies.
class CacheRegistry {
public:
    std::shared_ptr<MessageCache> track();
    void cleanup();

    // Keeps `body` as the owner's, in place of any other message's. Callers
    // may hold the owner's mutex: the kept body's lock is taken last.
    void keepBody(const MessageCache& owner, std::string body);
    // The owner's kept body, handed over; empty when another message's
    // replaced it, or a cleanup dropped it.
    std::optional<std::string> takeBody(const MessageCache& owner);

private:
    std::mutex mutex_;
    std::vector<std::weak_ptr<MessageCache>> caches_;
    std::size_t pruneAt_ = 64;
    std::uint64_t nextSerial_ = 1;

    std::mutex bodyMutex_;
    std::uint64_t bodyOwner_ = 0;
    std::string body_;
};

class MaildirStore {
public:
    MaildirStore(StoreConfig config, std::size_t index, std::shared_ptr<CacheRegistry> caches)
        : config_(std::move(config)), index_(index), caches_(std::move(caches))
    {
    }
    const StoreConfig& config() const { return config_; }
    std::size_t index() const { return index_; }
    CacheRegistry& caches() { return *caches_; }

    // The directory of a mail folder ({} = the Inbox, the root itself).
    std::string folderDirectory(const std::vector<std::string>& path) const;
    // Creates the folder's cur/, new/ and tmp/ (and "maildirfolder") when
    // missing; false when that fails.
    bool ensureMaildir(const std::vector<std::string>& path);
    // Completes the moves into any folder of the store that a kill
    // interrupted (see maildir_move.h).
    void finishInterruptedMoves() const;
    // The names of the direct sub-folders of a path, by name.
    std::vector<std::string> childNames(const std::vector<std::string>& path) const;

private:
    StoreConfig config_;
    std::size_t index_;
    std::shared_ptr<CacheRegistry> caches_;
    std::mutex createMutex_;
};
using StorePtr = std::shared_ptr<MaildirStore>;

enum class FolderKind { Top, Mail, Contacts };

class MaildirFolder final : public Folder, public std::enable_shared_from_this<MaildirFolder> {
public:
    MaildirFolder(StorePtr store, FolderKind kind, std::vector<std::string> path)
        : store_(std::move(store)), kind_(kind), path_(std::move(path)), directory_(store_->folderDirectory(path_))
    {
    }
    std::string name() override;
    FolderPtr parent() override;
    FoldersPtr folders() override;
    ItemsPtr items() override;
    std::optional<int> defaultItemType() override;
    std::string entryId() override;
    std::shared_ptr<MailItem> fileMessage(std::string_view message, bool read) override;

    const StorePtr& store() const { return store_; }
    FolderKind kind() const { return kind_; }
    const std::vector<std::string>& path() const { return path_; }
    // Worked out once: every message's path starts with it.
    const std::string& directory() const { return directory_; }

    // The store's ensureMaildir for this folder, looked at once and then
    // taken as known, so that a pass moving thousands of messages here does
    // not look at the three directories for each. A move that fails calls
    // forgetMaildir and asks again; any thread may call either.
    bool ensureMaildir();
    void forgetMaildir() { maildirKnown_ = false; }
    bool maildirKnown() const { return maildirKnown_; }

private:
    StorePtr store_;
    FolderKind kind_;
    std::vector<std::string> path_;
    std::string directory_;
    std::atomic<bool> maildirKnown_{false};
};
using MaildirFolderPtr = std::shared_ptr<MaildirFolder>;

MaildirFolderPtr makeFolder(const StorePtr& store, FolderKind kind, std::vector<std::string> path = {});

// The directory names (".A", ".A.B") of the root's mail folders: entries
// whose cur/ is a directory, each folder once however many names lead to it,
// and never the root again (a link ".X -> ." is no second Inbox). Links to
// folders elsewhere count; a link that loops does not.
std::vector<std::string> mailFolderDirectories(const std::string& root);

// A folder collection over a fixed list (the stores' top folders) or over the
// sub-folders of a folder.
FoldersPtr makeFolderList(std::vector<FolderPtr> folders);
FoldersPtr makeSubFolders(const MaildirFolderPtr& parent);

ItemsPtr makeMailItems(const MaildirFolderPtr& folder);
ItemsPtr makeContactItems(const MaildirFolderPtr& folder);
ItemsPtr makeEmptyItems();
MailItemPtr makeStoredMailItem(const MaildirFolderPtr& folder, MessageFile file);

// What a walk hands an item it makes: the file, when the walk has it open
// at file's place (`fileBytes` long by its fstat), whose first read becomes
// the item's header read at once; and the directories the item renames its
// file in while the walk lasts.
struct FromWalk {
    int fd = -1;
    std::size_t fileBytes = 0;
    std::shared_ptr<WalkDirectories> directories;
};
MailItemPtr makeStoredMailItem(const MaildirFolderPtr& folder, MessageFile file, FromWalk walk);

} // namespace kvn::outlook
