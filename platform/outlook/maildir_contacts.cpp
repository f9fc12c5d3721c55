// The Contacts folder of a store: each card of its vCard folder is a contact
// whose first three e-mail addresses are shown under the card's FN.
#include "platform/outlook/maildir_internal.h"

#include "platform/outlook/maildir_filter.h"
#include "platform/outlook/vcard.h"

namespace kvn::outlook {
namespace {

class CardItem final : public ContactItem, public std::enable_shared_from_this<CardItem> {
public:
    CardItem(ContactCard card, std::size_t index) : card_(std::move(card)), index_(index) { }
    std::shared_ptr<MailItem> asMailItem() override { return nullptr; }
    std::shared_ptr<ContactItem> asContactItem() override { return shared_from_this(); }
    std::string entryId() override { return "contact:" + std::to_string(index_); }
    std::string fullName() override { return card_.displayName; }
    std::vector<AddressEntry> emailAddresses() override
    {
        std::vector<AddressEntry> entries;
        for (std::size_t i = 0; i < card_.emails.size() && i < 3; ++i)
            entries.push_back({card_.displayName, card_.emails[i]});
        return entries;
    }

private:
    ContactCard card_;
    std::size_t index_;
};

// The cards are read when the collection is made; Find and Restrict (mail
// filters) match no contact.
class ContactItems final : public Items {
public:
    explicit ContactItems(std::vector<ContactCard> cards) : cards_(std::move(cards)) { }
    std::optional<std::size_t> count() override { return cards_.size(); }
    ItemPtr getFirst() override
    {
        next_ = 0;
        return getNext();
    }
    ItemPtr getNext() override
    {
        if (next_ >= cards_.size())
            return nullptr;
        std::size_t index = next_++;
        return std::make_shared<CardItem>(cards_[index], index);
    }
    std::optional<ItemPtr> find(std::string_view filter) override
    {
        if (!parseMailFilter(filter))
            return std::nullopt;
        return ItemPtr{};
    }
    ItemPtr findNext() override { return nullptr; }
    ItemsPtr restrict(std::string_view filter) override
    {
        return parseMailFilter(filter) ? std::make_shared<ContactItems>(std::vector<ContactCard>{}) : nullptr;
    }

private:
    std::vector<ContactCard> cards_;
    std::size_t next_ = 0;
};

} // namespace

ItemsPtr makeContactItems(const MaildirFolderPtr& folder)
{
    const std::string& cardFolder = folder->store()->config().contactsFolder;
    return std::make_shared<ContactItems>(
        cardFolder.empty() ? std::vector<ContactCard>{} : readContactsFolder(cardFolder));
}

} // namespace kvn::outlook
