// The safe reads of mail and contact items (sender, recipients, transport
// headers, contact addresses), the clean-up of cached parses, and the
// session's profile name.
#pragma once

#include "platform/outlook/outlook_items.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kvn::outlook {

// The property tag of the raw transport headers of an e-mail.
constexpr std::uint32_t PR_TRANSPORT_MESSAGE_HEADERS = 0x007D001E;

class Recipients {
public:
    explicit Recipients(std::vector<AddressEntry> entries) : entries_(std::move(entries)) { }
    std::size_t count() const { return entries_.size(); }
    // Counted from 1; nullptr outside 1..count().
    std::shared_ptr<AddressEntry> item(std::size_t index) const;

private:
    std::vector<AddressEntry> entries_;
};

// Reads of the e-mail set with setItem(). Every read fails (answers empty)
// while no item is set.
class SafeMailItem {
public:
    void setItem(MailItemPtr item) { item_ = std::move(item); }
    const MailItemPtr& item() const { return item_; }

    // The display name, or the address when the sender has no name; empty
    // text when the e-mail names no sender.
    std::optional<std::string> senderName();
    // Empty on failure; nullptr when the e-mail names no sender.
    std::optional<std::shared_ptr<AddressEntry>> sender();
    std::shared_ptr<Recipients> recipients();
    // Only PR_TRANSPORT_MESSAGE_HEADERS is known; any other tag is empty.
    std::optional<std::string> fields(std::uint32_t propertyTag);

private:
    MailItemPtr item_;
};

// The three e-mail addresses of the contact set with setItem().
class SafeContactItem {
public:
    void setItem(ContactItemPtr item) { item_ = std::move(item); }
    const ContactItemPtr& item() const { return item_; }
    // index 1..3; an empty entry when the contact has no such address or no
    // item is set.
    AddressEntry email(int index);

private:
    ContactItemPtr item_;
};

// Drops the bodies, attachment lists and headers cached by every item of the
// session; later reads parse the files again.
class MapiUtils {
public:
    virtual ~MapiUtils() = default;
    virtual void cleanup() = 0;
};

// The running session: the name of the profile the host was started with
// ("Default" when it was given none).
class CdoSession {
public:
    explicit CdoSession(std::string profileName) : profileName_(std::move(profileName)) { }
    const std::string& profileName() const { return profileName_; }

private:
    std::string profileName_;
};

} // namespace kvn::outlook
