// The safe reads over any mail or contact item.
#include "platform/outlook/outlook_redemption.h"

namespace kvn::outlook {

std::shared_ptr<AddressEntry> Recipients::item(std::size_t index) const
{
    if (index < 1 || index > entries_.size())
        return nullptr;
    return std::make_shared<AddressEntry>(entries_[index - 1]);
}

std::optional<std::string> SafeMailItem::senderName()
{
    auto entry = sender();
    if (!entry)
        return std::nullopt;
    if (!*entry)
        return std::string();
    // A sender without a display name is shown by its address.
    return (*entry)->name.empty() ? (*entry)->address : (*entry)->name;
}

std::optional<std::shared_ptr<AddressEntry>> SafeMailItem::sender()
{
    if (!item_)
        return std::nullopt;
    return item_->senderEntry();
}

std::shared_ptr<Recipients> SafeMailItem::recipients()
{
    auto entries = item_ ? item_->recipientEntries() : std::nullopt;
    return entries ? std::make_shared<Recipients>(std::move(*entries)) : nullptr;
}

std::optional<std::string> SafeMailItem::fields(std::uint32_t propertyTag)
{
    if (!item_ || propertyTag != PR_TRANSPORT_MESSAGE_HEADERS)
        return std::nullopt;
    return item_->transportHeaders();
}

AddressEntry SafeContactItem::email(int index)
{
    if (!item_ || index < 1)
        return {};
    auto entries = item_->emailAddresses();
    auto position = static_cast<std::size_t>(index - 1);
    return position < entries.size() ? entries[position] : AddressEntry{};
}

} // namespace kvn::outlook
