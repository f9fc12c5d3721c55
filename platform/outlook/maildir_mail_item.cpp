// A stored e-mail: one message file of a Maildir folder, found again by its
// unique name when another program renamed it, parsed on demand and cached.
#include "platform/outlook/maildir_internal.h"

#include "platform/core/ole_date.h"
#include "platform/outlook/html_text.h"
#include "platform/outlook/maildir_flags.h"
#include "platform/outlook/maildir_locate.h"
#include "platform/outlook/maildir_move.h"
#include "platform/outlook/message_first_read.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace kvn::outlook {
namespace {

class NameAttachment final : public Attachment {
public:
    explicit NameAttachment(std::string name) : name_(std::move(name)) { }
    std::string fileName() override { return name_; }

private:
    std::string name_;
};

class NameAttachments final : public Attachments {
public:
    explicit NameAttachments(std::vector<std::string> names) : names_(std::move(names)) { }
    std::size_t count() override { return names_.size(); }
    std::shared_ptr<Attachment> item(std::size_t index) override
    {
        if (index < 1 || index > names_.size())
            return nullptr;
        return std::make_shared<NameAttachment>(names_[index - 1]);
    }

private:
    std::vector<std::string> names_;
};

class StoredMailItem final : public MailItem, public std::enable_shared_from_this<StoredMailItem> {
public:
    StoredMailItem(MaildirFolderPtr folder, MessageFile file, std::weak_ptr<WalkDirectories> directories = {})
        : folder_(std::move(folder)),
          file_(std::move(file)),
          unique_(uniqueNameOf(file_.fileName)),
          directories_(std::move(directories))
    {
    }

    // Reads (and caches) the header block: reports and meeting requests are
    // no mail items. A file that cannot be read stays a mail item whose reads
    // fail, as they would have a moment later.
    std::shared_ptr<MailItem> asMailItem() override
    {
        {
            std::lock_guard lock(cache().mutex);
            const std::optional<MessageHeaders>& read = cachedHeaders();
            if (read && read->kind != MessageKind::Mail)
                return nullptr;
        }
        return shared_from_this();
    }
    std::shared_ptr<ContactItem> asContactItem() override { return nullptr; }

    // The first read, from the file a walk has open where file_ says; a
    // failed read leaves the header to be read by path when asked for.
    void readOpened(int fd, std::size_t fileBytes)
    {
        std::lock_guard lock(cache().mutex);
        if (cache().headers)
            return;
        if (std::optional<FirstRead> read = readOpenedMessage(fd, fileBytes))
            takeFirstRead(std::move(*read));
    }

    std::string entryId() override { return unique_; }

    std::optional<std::string> subject() override
    {
        return fromHeaders([](const MessageHeaders& read) { return read.subject; });
    }

    std::optional<double> receivedTime() override
    {
        auto path = currentPath();
        auto mtime = path ? fileMtime(*path) : std::nullopt;
        if (!mtime)
            return std::nullopt;
        return oleDateFromLocal(localFromCalendarTime(*mtime));
    }

    std::optional<bool> unRead() override
    {
        std::lock_guard lock(fileMutex_);
        if (!locate())
            return std::nullopt;
        return !isSeen(file_.fileName);
    }

    // The rename is tried where the file was last seen first, as a move is:
    // only when it is gone from there is it looked for. That nothing needs
    // changing is only answered for a place just looked up, since another
    // program may have changed the flags meanwhile.
    bool setUnRead(bool unread) override
    {
        std::lock_guard lock(fileMutex_);
        for (int attempt = 0; attempt < 3; ++attempt) {
            const bool lookedUp = attempt > 0;
            if (lookedUp && !locate())
                return false;
            std::string name = nameWithSeen(file_.fileName, !unread);
            const bool unchanged
                = (file_.subdir == Subdir::New && unread) || (file_.subdir == Subdir::Cur && name == file_.fileName);
            if (unchanged) {
                if (lookedUp)
                    return true;
                continue;
            }
            RenameOutcome outcome = RenameOutcome::Failed;
            if (const auto places = openPlaces(folder_->directory(), name))
                outcome = renameNoReplaceAt(places->from, places->to);
            if (outcome != RenameOutcome::Done)
                outcome = renameNoReplace(pathOf(file_), folder_->directory() + "/cur/" + name);
            if (outcome == RenameOutcome::Done) {
                file_ = {Subdir::Cur, name, file_.mtime};
                return true;
            }
            if (outcome == RenameOutcome::Failed)
                return false;
        }
        return false;
    }

    std::optional<std::string> htmlBody() override
    {
        return fromContent([](const MessageContent& read) { return read.htmlBody; });
    }

    bool setHtmlBody(std::string) override { return false; }

    std::optional<std::string> body() override
    {
        return fromContent([&](MessageContent& read) {
            // The text of an HTML-only message is made on the first ask.
            if (cache().textFromHtml) {
                read.textBody = htmlToPlainText(read.htmlBody);
                cache().textFromHtml = false;
            }
            return read.textBody;
        });
    }

    std::shared_ptr<Attachments> attachments() override
    {
        auto names = fromContent([](const MessageContent& read) { return read.attachmentNames; });
        return names ? std::make_shared<NameAttachments>(std::move(*names)) : nullptr;
    }

    std::shared_ptr<MailItem> move(const std::shared_ptr<Folder>& target) override
    {
        auto folder = std::dynamic_pointer_cast<MaildirFolder>(target);
        if (!folder || folder->kind() != FolderKind::Mail)
            return nullptr;
        // A failed move may be a target folder taken away since it was last
        // looked at: it is looked at (and made) again, and the move tried
        // once more.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const bool checkedBefore = folder->maildirKnown();
            if (!folder->ensureMaildir())
                return nullptr;
            // The moved item is made after the file lock is released: making
            // an item takes the session's cache lock, which clean-up holds
            // while it takes the items' cache locks.
            if (auto moved = moveFileInto(*folder))
                return makeStoredMailItem(folder, std::move(*moved));
            folder->forgetMaildir();
            if (!checkedBefore)
                break;
        }
        return nullptr;
    }

    std::optional<std::string> to() override { return recipientText(RecipientField::To); }
    std::optional<std::string> cc() override { return recipientText(RecipientField::Cc); }
    std::optional<std::string> bcc() override { return recipientText(RecipientField::Bcc); }
    bool setTo(std::string) override { return false; }
    bool setCc(std::string) override { return false; }
    bool setBcc(std::string) override { return false; }
    bool setSubject(std::string) override { return false; }

    std::optional<std::shared_ptr<AddressEntry>> senderEntry() override
    {
        return fromHeaders([](const MessageHeaders& read) {
            if (read.sender.address.empty() && read.sender.name.empty())
                return std::shared_ptr<AddressEntry>{};
            return std::make_shared<AddressEntry>(AddressEntry{read.sender.name, read.sender.address});
        });
    }

    std::optional<std::vector<AddressEntry>> recipientEntries() override
    {
        return fromRecipients([](const MessageHeaders& read) {
            std::vector<AddressEntry> entries;
            entries.reserve(read.recipients.size());
            for (const auto& recipient : read.recipients)
                entries.push_back({recipient.name, recipient.address});
            return entries;
        });
    }

    std::optional<std::string> transportHeaders() override
    {
        return fromHeaders([](const MessageHeaders& read) { return read.transportHeaders; });
    }

    std::optional<std::string> composeForSending(std::string_view, double) override { return std::nullopt; }

private:
    enum class RecipientField { To, Cc, Bcc };

    // The addresses of one recipient field, joined with "; ".
    std::optional<std::string> recipientText(RecipientField field)
    {
        return fromRecipients([field](const MessageHeaders& read) {
            const std::vector<MailAddress>& all = read.recipients;
            const std::size_t toEnd = std::min(all.size(), read.toCount);
            const std::size_t ccEnd = std::min(all.size(), toEnd + read.ccCount);
            const std::size_t bounds[] = {0, toEnd, ccEnd, all.size()};
            const auto at = static_cast<std::size_t>(field);
            std::string text;
            for (std::size_t i = bounds[at]; i < bounds[at + 1]; ++i)
                text += (text.empty() ? "" : "; ") + all[i].address;
            return text;
        });
    }

    // The file's place in the target folder after the move; empty when the
    // move failed and the message is still where it was. The rename is tried
    // where the file was last seen first; only when it is gone from there is
    // it looked for under its unique name.
    std::optional<MessageFile> moveFileInto(const MaildirFolder& folder)
    {
        std::lock_guard lock(fileMutex_);
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (attempt > 0 && !locate())
                return std::nullopt;
            std::string name = curNameOf(file_.fileName);
            std::string targetPath = folder.directory() + "/cur/" + name;
            if (targetPath == pathOf(file_)) {
                if (attempt == 0)
                    continue; // already there only if it was not renamed meanwhile
                return file_;
            }
            RenameOutcome outcome = RenameOutcome::Failed;
            if (const auto places = openPlaces(folder.directory(), name))
                outcome = moveMessageFile(pathOf(file_), targetPath, places->from, places->to);
            if (outcome != RenameOutcome::Done)
                outcome = moveMessageFile(pathOf(file_), targetPath);
            if (outcome == RenameOutcome::Done)
                return MessageFile{Subdir::Cur, name, file_.mtime};
            if (outcome == RenameOutcome::Failed)
                return std::nullopt;
        }
        return std::nullopt;
    }

    // The file where file_ says and `name` in the cur/ of the folder at
    // targetDir, in the open directories of the walk that made the item,
    // held open while the places are used; empty once the walk is over, or
    // when either directory is not open. Called with fileMutex_ held.
    struct OpenPlaces {
        std::shared_ptr<WalkDirectories> directories;
        OpenPlace from;
        OpenPlace to;
    };
    std::optional<OpenPlaces> openPlaces(const std::string& targetDir, const std::string& name)
    {
        std::shared_ptr<WalkDirectories> directories = directories_.lock();
        if (!directories)
            return std::nullopt;
        const int from = directories->source().directoryOf(file_);
        const int to = from < 0 ? -1 : directories->targetCur(targetDir);
        if (to < 0)
            return std::nullopt;
        return OpenPlaces{std::move(directories), {from, file_.fileName.c_str()}, {to, name.c_str()}};
    }

    std::string pathOf(const MessageFile& file) const { return messagePath(folder_->directory(), file); }

    // True when the file is where we last saw it or was found again under
    // its unique name. Called with fileMutex_ held.
    bool locate()
    {
        auto found = findMessageFile(folder_->directory(), unique_, &file_);
        if (found.status != LocateStatus::Found)
            return false;
        file_ = std::move(found.file);
        return true;
    }

    std::string lastSeenPath()
    {
        std::lock_guard lock(fileMutex_);
        return pathOf(file_);
    }

    std::optional<std::string> currentPath()
    {
        std::lock_guard lock(fileMutex_);
        return locate() ? std::optional(pathOf(file_)) : std::nullopt;
    }

    // Reads the file with the reader; when the file vanished meanwhile, finds
    // it again and reads once more.
    // The path last seen is tried first without looking for the file: a
    // message that is still there (nearly always) costs no extra look.
    template <typename Reader> auto readFile(Reader reader) -> decltype(reader(std::string()))
    {
        if (auto result = reader(lastSeenPath()))
            return result;
        for (int attempt = 0; attempt < 2; ++attempt) {
            auto path = currentPath();
            if (!path)
                return std::nullopt;
            if (auto result = reader(*path))
                return result;
        }
        return std::nullopt;
    }

    // What `answer` makes of the cached header block; empty when it cannot
    // be read. The answer is taken under the cache lock, so that only what
    // is asked for is copied out.
    template <typename Answer> auto fromHeaders(Answer answer) -> std::optional<decltype(answer(MessageHeaders()))>
    {
        std::lock_guard lock(cache().mutex);
        const std::optional<MessageHeaders>& read = cachedHeaders();
        if (!read)
            return std::nullopt;
        return answer(*read);
    }

    // fromHeaders with the recipients parsed, which is done on first ask.
    template <typename Answer> auto fromRecipients(Answer answer) -> std::optional<decltype(answer(MessageHeaders()))>
    {
        std::lock_guard lock(cache().mutex);
        std::optional<MessageHeaders>& read = cachedHeaders();
        if (!read)
            return std::nullopt;
        if (cache().unparsedRecipients) {
            parseRecipients(*cache().unparsedRecipients, *read);
            cache().unparsedRecipients.reset();
        }
        return answer(*read);
    }

    // The header block, read on first use; its recipients are kept raw
    // until someone asks for them. Called with cache().mutex held.
    std::optional<MessageHeaders>& cachedHeaders()
    {
        if (!cache().headers) {
            if (std::optional<FirstRead> read = readFile(readMessageFirst))
                takeFirstRead(std::move(*read));
        }
        return cache().headers;
    }

    // Called with cache().mutex held.
    void takeFirstRead(FirstRead read)
    {
        cache().headers = std::move(read.headers);
        cache().layout = std::move(read.layout);
        cache().unparsedRecipients = std::move(read.recipients);
        if (read.body)
            folder_->store()->caches().keepBody(cache(), std::move(*read.body));
    }

    // What `answer` makes of the cached bodies (which it may complete);
    // empty when they cannot be read.
    template <typename Answer>
    auto fromContent(Answer answer) -> std::optional<decltype(answer(std::declval<MessageContent&>()))>
    {
        std::lock_guard lock(cache().mutex);
        if (!cache().content) {
            const std::optional<BodyLayout>& layout = cache().layout;
            bool textLeftOut = false;
            if (layout) {
                if (std::optional<std::string> body = folder_->store()->caches().takeBody(cache()))
                    cache().content = readKeptBody(*body, *layout, textLeftOut);
            }
            if (!cache().content) {
                cache().content = readFile([&](const std::string& path) {
                    return layout ? readMessageContent(path, *layout, textLeftOut) : readMessageContent(path);
                });
            }
            cache().textFromHtml = cache().content && textLeftOut;
        }
        if (!cache().content)
            return std::nullopt;
        return answer(*cache().content);
    }

    MaildirFolderPtr folder_;
    std::mutex fileMutex_;
    MessageFile file_;
    std::string unique_;
    // The directories of the walk that made the item, while it lasts.
    std::weak_ptr<WalkDirectories> directories_;
    std::mutex cacheMaking_;
    std::shared_ptr<MessageCache> cache_; // set once, under cacheMaking_
    std::atomic<MessageCache*> madeCache_{nullptr};

    // Made on first use: an item that is only handed on (what a move
    // returns, which a pass asks for its entry ID alone) needs none. Not
    // std::call_once: glibc's once makes a system call to wake waiters each
    // time it runs, whether any wait or not, and a pass makes an item for
    // every message.
    MessageCache& cache()
    {
        if (MessageCache* made = madeCache_.load(std::memory_order_acquire))
            return *made;
        std::lock_guard lock(cacheMaking_);
        if (!cache_) {
            cache_ = folder_->store()->caches().track();
            madeCache_.store(cache_.get(), std::memory_order_release);
        }
        return *cache_;
    }
};

} // namespace

MailItemPtr makeStoredMailItem(const MaildirFolderPtr& folder, MessageFile file)
{
    return std::make_shared<StoredMailItem>(folder, std::move(file));
}

MailItemPtr makeStoredMailItem(const MaildirFolderPtr& folder, MessageFile file, FromWalk walk)
{
    auto item = std::make_shared<StoredMailItem>(folder, std::move(file), std::move(walk.directories));
    if (walk.fd >= 0)
        item->readOpened(walk.fd, walk.fileBytes);
    return item;
}

} // namespace kvn::outlook
