// The items of a mail folder: walks, Find/FindNext and Restrict, decided
// from directory listings and file metadata without opening any message.
//
// Find takes a snapshot of the matching messages' unique names. FindNext
// gives the next snapshot entry whose file is still in the folder, looked up
// by its unique name when another program renamed it (a flag change), so a
// message moved or marked by the caller never disturbs the walk and no
// message is given twice.
#include "platform/outlook/maildir_internal.h"

#include "platform/outlook/maildir_filter.h"
#include "platform/outlook/maildir_flags.h"

#include <algorithm>

namespace kvn::outlook {
namespace {

// A walk over a fixed list of message files of one folder.
class Walk {
public:
    Walk() = default;
    explicit Walk(std::vector<MessageFile> files) : files_(std::move(files)) { }

    // The next entry that still exists, at its current place.
    std::optional<MessageFile> next(const std::string& folderDir)
    {
        while (next_ < files_.size()) {
            const MessageFile& file = files_[next_++];
            if (fileMtime(folderDir + "/" + file.subdir + "/" + file.fileName))
                return file;
            if (auto moved = locateMessage(folderDir, uniqueNameOf(file.fileName)))
                return moved;
        }
        return std::nullopt;
    }

private:
    std::vector<MessageFile> files_;
    std::size_t next_ = 0;
};

class MailItems final : public Items {
public:
    MailItems(MaildirFolderPtr folder, std::vector<MailFilter> filters)
        : folder_(std::move(folder)), filters_(std::move(filters))
    {
    }

    std::size_t count() override
    {
        auto files = matching(filters_);
        return files ? files->size() : 0;
    }

    ItemPtr getFirst() override
    {
        auto files = matching(filters_);
        walk_ = Walk(files ? std::move(*files) : std::vector<MessageFile>{});
        return getNext();
    }

    ItemPtr getNext() override { return itemOf(walk_.next(folder_->directory())); }

    std::optional<ItemPtr> find(std::string_view filter) override
    {
        auto parsed = parseMailFilter(filter);
        if (!parsed)
            return std::nullopt;
        auto filters = filters_;
        filters.push_back(*parsed);
        auto files = matching(filters);
        if (!files)
            return std::nullopt;
        found_ = Walk(std::move(*files));
        return findNext();
    }

    ItemPtr findNext() override { return itemOf(found_.next(folder_->directory())); }

    ItemsPtr restrict(std::string_view filter) override
    {
        auto parsed = parseMailFilter(filter);
        if (!parsed || !fileMtime(folder_->directory()))
            return nullptr;
        auto filters = filters_;
        filters.push_back(*parsed);
        return std::make_shared<MailItems>(folder_, std::move(filters));
    }

private:
    // The folder's messages that pass every filter: oldest first when the
    // filters ask about ReceivedTime, else in file-name order.
    std::optional<std::vector<MessageFile>> matching(const std::vector<MailFilter>& filters) const
    {
        // Flags come from the names alone; only the messages they let
        // through are asked for their times.
        auto files = listMessages(folder_->directory(), false);
        if (!files)
            return std::nullopt;
        std::erase_if(*files, [&](const MessageFile& file) {
            bool unread = !isSeen(file.fileName);
            return !std::all_of(filters.begin(), filters.end(), [&](const auto& f) { return f.matchesFlags(unread); });
        });
        if (std::any_of(filters.begin(), filters.end(), [](const auto& f) { return f.needsTimes(); })) {
            addTimes(folder_->directory(), *files);
            std::erase_if(*files, [&](const MessageFile& file) {
                return !std::all_of(
                    filters.begin(), filters.end(), [&](const auto& f) { return f.matchesTime(file.mtime); });
            });
        }
        std::sort(files->begin(), files->end(), [](const MessageFile& a, const MessageFile& b) {
            return a.mtime != b.mtime ? a.mtime < b.mtime : a.fileName < b.fileName;
        });
        return files;
    }

    ItemPtr itemOf(std::optional<MessageFile> file) const
    {
        return file ? makeStoredMailItem(folder_, std::move(*file)) : nullptr;
    }

    MaildirFolderPtr folder_;
    std::vector<MailFilter> filters_;
    Walk walk_;
    Walk found_;
};

class EmptyItems final : public Items {
public:
    std::size_t count() override { return 0; }
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
