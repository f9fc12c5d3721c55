// The items of a mail folder: walks, Find/FindNext and Restrict, decided
// from directory listings and file metadata. A walk opens each message it
// hands out: that one opening tells that the file is still there, and its
// first read is the item's header read, which every caller makes next.
//
// Find and GetFirst take a snapshot of the matching messages, each unique
// name once (maildir_listing.h). FindNext and GetNext give the next snapshot
// entry that is still in the folder, looked up by its unique name when
// another program renamed it (a flag change), and that still matches the
// filters as it is now. So a message moved or marked by the caller never
// disturbs the walk, no message is given twice, and none that stays and
// keeps matching is missed.
#include "platform/outlook/maildir_internal.h"

#include "platform/core/file_descriptor.h"
#include "platform/outlook/header_block.h"
#include "platform/outlook/maildir_filter.h"
#include "platform/outlook/maildir_flags.h"
#include "platform/outlook/maildir_locate.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>

namespace kvn::outlook {
namespace {

bool matchesFlags(const std::vector<MailFilter>& filters, const MessageFile& file)
{
    bool unread = !isSeen(file.fileName);
    return std::all_of(filters.begin(), filters.end(), [&](const auto& f) { return f.matchesFlags(unread); });
}

bool matchesAll(const std::vector<MailFilter>& filters, const MessageFile& file)
{
    bool unread = !isSeen(file.fileName);
    return std::all_of(filters.begin(), filters.end(), [&](const auto& f) { return f.matches(unread, file.mtime); });
}

// The next file of a walk, and the file itself when the walk could open it
// where it was seen: its first read needs no second opening.
struct WalkStep {
    MessageFile file;
    FileDescriptor opened{-1};
    std::size_t fileBytes = 0;
};

// The message file at the place `file` names, opened, with its mtime put in
// `file`; empty (and the file to be looked for) when it cannot be opened
// there: renamed, gone, unreadable or no regular file.
std::optional<WalkStep> openWhereSeen(const SubfolderHandles& subfolders, MessageFile& file)
{
    struct stat status { };
    const int dir = subfolders.directoryOf(file);
    FileDescriptor opened(dir >= 0 ? detail::openMessageFileAt(dir, file.fileName, status)
                                   : detail::openMessageFile(messagePath(subfolders.folderDir(), file), &status));
    if (opened.get() < 0)
        return std::nullopt;
    file.mtime = status.st_mtim.tv_sec;
    return WalkStep{{}, std::move(opened), static_cast<std::size_t>(std::max<off_t>(status.st_size, 0))};
}

// A walk over a fixed list of message files of one folder. The list is kept
// last entry first, so that the next one is taken off its end, and it is
// shrunk each time it has halved: the memory of a long walk is given back
// while the caller builds up its own records of what it did, and the list is
// never held twice. The folder's new/ and cur/ stay open while the walk lasts.
class Walk {
public:
    Walk() = default;
    // `files` passed `filters` as they were listed (with their mtimes, when
    // the filters ask about times).
    Walk(std::vector<MessageFile> files, std::vector<MailFilter> filters, SubfolderHandles subfolders)
        : files_(std::move(files)),
          filters_(std::move(filters)),
          directories_(std::make_shared<WalkDirectories>(std::move(subfolders)))
    {
        std::reverse(files_.begin(), files_.end());
    }

    // What the items of the walk rename their files in while it lasts.
    const std::shared_ptr<WalkDirectories>& directories() const { return directories_; }

    // The next entry that is still in the folder and still matches, at its
    // current place. Where it was seen it is opened instead of looked at
    // (nearly always: then the one opening serves the look and the read).
    std::optional<WalkStep> next()
    {
        if (!directories_)
            return std::nullopt;
        const SubfolderHandles& subfolders = directories_->source();
        const std::string& folderDir = subfolders.folderDir();
        while (!files_.empty()) {
            MessageFile file = takeNext();
            const std::int64_t listedMtime = file.mtime;
            if (std::optional<WalkStep> step = openWhereSeen(subfolders, file)) {
                // Under the same name (the same flags) and with the mtime it
                // was listed with, it matches as it did in the listing.
                if (file.mtime != listedMtime && !matchesAll(filters_, file))
                    continue;
                step->file = std::move(file);
                return step;
            }
            auto now = findMessageFile(folderDir, uniqueNameOf(file.fileName), &file);
            if (now.status == LocateStatus::Found && matchesAll(filters_, now.file))
                return WalkStep{std::move(now.file)};
        }
        directories_.reset();
        return std::nullopt;
    }

private:
    MessageFile takeNext()
    {
        MessageFile file = std::move(files_.back());
        files_.pop_back();
        if (files_.size() < files_.capacity() / 2)
            files_.shrink_to_fit();
        return file;
    }

    std::vector<MessageFile> files_; // last entry first
    std::vector<MailFilter> filters_;
    std::shared_ptr<WalkDirectories> directories_;
};

class MailItems final : public Items {
public:
    MailItems(MaildirFolderPtr folder, std::vector<MailFilter> filters)
        : folder_(std::move(folder)), filters_(std::move(filters))
    {
    }

    std::optional<std::size_t> count() override
    {
        auto files = matching(filters_, nullptr);
        return files ? std::optional(files->size()) : std::nullopt;
    }

    ItemPtr getFirst() override
    {
        SubfolderHandles subfolders(folder_->directory());
        auto files = matching(filters_, &subfolders);
        walk_ = Walk(files ? std::move(*files) : std::vector<MessageFile>{}, filters_, std::move(subfolders));
        return getNext();
    }

    ItemPtr getNext() override { return itemOf(walk_); }

    std::optional<ItemPtr> find(std::string_view filter) override
    {
        auto parsed = parseMailFilter(filter);
        if (!parsed)
            return std::nullopt;
        auto filters = filters_;
        filters.push_back(*parsed);
        SubfolderHandles subfolders(folder_->directory());
        auto files = matching(filters, &subfolders);
        if (!files)
            return std::nullopt;
        found_ = Walk(std::move(*files), std::move(filters), std::move(subfolders));
        return findNext();
    }

    ItemPtr findNext() override { return itemOf(found_); }

    ItemsPtr restrict(std::string_view filter) override
    {
        auto parsed = parseMailFilter(filter);
        if (!parsed || !canListMessages(folder_->directory()))
            return nullptr;
        auto filters = filters_;
        filters.push_back(*parsed);
        return std::make_shared<MailItems>(folder_, std::move(filters));
    }

private:
    // The folder's messages that pass every filter: oldest first when the
    // filters ask about ReceivedTime, else in file-name order. Their times
    // are looked up in `subfolders` (a walk's), or in handles opened for
    // this listing alone when none are given and times are needed.
    std::optional<std::vector<MessageFile>> matching(
        const std::vector<MailFilter>& filters, const SubfolderHandles* subfolders) const
    {
        // Flags come from the names alone; only the messages they let
        // through are looked at for their times, and tested again under the
        // names they have then.
        auto files = listMessages(folder_->directory());
        if (!files)
            return std::nullopt;
        std::erase_if(*files, [&](const MessageFile& file) { return !matchesFlags(filters, file); });
        bool needsTimes = std::any_of(filters.begin(), filters.end(), [](const auto& f) { return f.needsTimes(); });
        if (needsTimes) {
            std::optional<SubfolderHandles> own;
            if (!addTimes(subfolders ? *subfolders : own.emplace(folder_->directory()), *files))
                return std::nullopt;
            std::erase_if(*files, [&](const MessageFile& file) { return !matchesAll(filters, file); });
        }
        std::sort(files->begin(), files->end(), [&](const MessageFile& a, const MessageFile& b) {
            if (needsTimes && a.mtime != b.mtime)
                return a.mtime < b.mtime;
            return a.fileName < b.fileName;
        });
        return files;
    }

    // The walk's next item, made before the walk may let go of its
    // directories.
    ItemPtr itemOf(Walk& walk) const
    {
        std::shared_ptr<WalkDirectories> directories = walk.directories();
        std::optional<WalkStep> step = walk.next();
        if (!step)
            return nullptr;
        return makeStoredMailItem(
            folder_, std::move(step->file), {step->opened.get(), step->fileBytes, std::move(directories)});
    }

    MaildirFolderPtr folder_;
    std::vector<MailFilter> filters_;
    Walk walk_;
    Walk found_;
};

class EmptyItems final : public Items {
public:
    std::optional<std::size_t> count() override { return 0; }
    ItemPtr getFirst() override { return nullptr; }
    ItemPtr getNext() override { return nullptr; }
    std::optional<ItemPtr> find(std::string_view filter) override
    {
        if (!parseMailFilter(filter))
            return std::nullopt;
        return ItemPtr{};
    }
    ItemPtr findNext() override { return nullptr; }
    ItemsPtr restrict(std::string_view filter) override
    {
        return parseMailFilter(filter) ? std::make_shared<EmptyItems>() : nullptr;
    }
};

} // namespace

ItemsPtr makeMailItems(const MaildirFolderPtr& folder)
{
    return std::make_shared<MailItems>(folder, std::vector<MailFilter>{});
}

ItemsPtr makeEmptyItems() { return std::make_shared<EmptyItems>(); }

} // namespace kvn::outlook
