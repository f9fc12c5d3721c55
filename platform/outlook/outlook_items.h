// Items of a folder and the mail, contact and attachment objects reached
// through them. Every handle is reference-counted; a call that fails answers
// empty (nullptr, an empty optional, false), which is how callers detect it.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn::outlook {

class Folder;
class MailItem;
class ContactItem;

// One name and address: a sender, a recipient or a contact's e-mail address.
struct AddressEntry {
    std::string name;
    std::string address;
};

class Attachment {
public:
    virtual ~Attachment() = default;
    virtual std::string fileName() = 0; // decoded; may be empty
};

class Attachments {
public:
    virtual ~Attachments() = default;
    virtual std::size_t count() = 0;
    // Counted from 1; nullptr outside 1..count().
    virtual std::shared_ptr<Attachment> item(std::size_t index) = 0;
};

// Anything a folder holds. Ask it for the interface of its kind.
// A stored message file is a mail item unless its header block makes it a
// delivery or read report, or a meeting request (see MessageKind).
class Item {
public:
    virtual ~Item() = default;
    virtual std::shared_ptr<MailItem> asMailItem() = 0; // nullptr when not a mail item
    virtual std::shared_ptr<ContactItem> asContactItem() = 0; // nullptr when not a contact
};
using ItemPtr = std::shared_ptr<Item>;

// An e-mail, stored in a folder or new (CreateItem) and kept in memory.
// A stored e-mail is found again by its EntryID when another program renamed
// its file meanwhile (a client changing flags); when it is gone for good the
// call fails. Bodies and attachment names are parsed on first use and kept
// until MapiUtils::cleanup() or the item's release; header reads never read
// beyond the header block.
class MailItem : public Item {
public:
    // Stable across moves and flag changes; empty on failure and for a new item.
    virtual std::string entryId() = 0;
    virtual std::optional<std::string> subject() = 0;
    // OLE date (local time) the e-mail was received.
    virtual std::optional<double> receivedTime() = 0;
    virtual std::optional<bool> unRead() = 0;
    virtual bool setUnRead(bool unread) = 0;
    // The HTML body in UTF-8, or the plain text rendered as HTML.
    virtual std::optional<std::string> htmlBody() = 0;
    // Only a new item's body can be set; a stored e-mail is never rewritten.
    virtual bool setHtmlBody(std::string html) = 0;
    // The plain-text body, or the text of the HTML body.
    virtual std::optional<std::string> body() = 0;
    // Only a new item's body can be set: the plain text replaces the HTML
    // body, and the e-mail is sent as plain text.
    virtual bool setBody(std::string text)
    {
        (void)text;
        return false;
    }
    virtual std::shared_ptr<Attachments> attachments() = 0;
    // Moves a stored e-mail into the folder (keeping its EntryID, flags and
    // ReceivedTime) and gives the moved item; nullptr when the move failed, in
    // which case the e-mail is still where it was.
    virtual std::shared_ptr<MailItem> move(const std::shared_ptr<Folder>& target) = 0;

    // The recipients of the To, Cc and Bcc fields, each written as
    // "a@b; c@d" (a new item keeps the text as it was set). Settable on a new
    // item only.
    virtual std::optional<std::string> to() = 0;
    virtual bool setTo(std::string recipients) = 0;
    virtual std::optional<std::string> cc() = 0;
    virtual bool setCc(std::string recipients) = 0;
    virtual std::optional<std::string> bcc() = 0;
    virtual bool setBcc(std::string recipients) = 0;
    virtual bool setSubject(std::string subject) = 0;

    // What the safe mail item reads (see SafeMailItem): sender, recipients
    // and the raw transport headers. senderEntry() is empty on failure and
    // holds nullptr when the e-mail names no sender. recipientEntries() are
    // those of To, then Cc, then Bcc (what a sent e-mail keeps of its blind
    // copies).
    virtual std::optional<std::shared_ptr<AddressEntry>> senderEntry() = 0;
    virtual std::optional<std::vector<AddressEntry>> recipientEntries() = 0;
    virtual std::optional<std::string> transportHeaders() = 0;

    // A new item as an RFC 5322 message from the given sender ("Name <a@b>"),
    // dated oleDateNow, with its To and Cc recipients; the Bcc recipients are
    // not written into it (the sender adds them to the envelope). Empty for a
    // stored e-mail.
    virtual std::optional<std::string> composeForSending(std::string_view from, double oleDateNow) = 0;

    // Shows a new item in a window where the user finishes and sends it, and
    // returns at once (the window is not modal). False when the program shows
    // no windows, and for a stored e-mail.
    virtual bool display() { return false; }
};
using MailItemPtr = std::shared_ptr<MailItem>;

// A contact: its display name and up to three e-mail addresses, each shown
// under the contact's display name.
class ContactItem : public Item {
public:
    virtual std::string entryId() = 0;
    virtual std::string fullName() = 0;
    virtual std::vector<AddressEntry> emailAddresses() = 0; // at most three, in card order
};
using ContactItemPtr = std::shared_ptr<ContactItem>;

// The items of a folder. Filters are conjunctions joined with "and" of
// "[UnRead]=true", "[UnRead]=false" and "[ReceivedTime]" compared with >=, >,
// <=, < or = to a quoted date as formatFilterDate writes it ('Jan 05 2004 09:30 PM');
// ReceivedTime is compared at minute precision. An object of this kind is
// used by one thread at a time.
class Items {
public:
    virtual ~Items() = default;
    // How many items there are; empty when the folder cannot be read whole
    // (an unreadable cur/ or new/), which is never taken for zero.
    virtual std::optional<std::size_t> count() = 0;
    // A walk over the items present when getFirst() is called, each given
    // once, also while other programs rename their files (flag changes);
    // getNext() skips items that are gone meanwhile or no longer match the
    // collection's filter. getFirst() gives nullptr both for no items and for
    // a folder that cannot be read: count() tells the two apart.
    virtual ItemPtr getFirst() = 0;
    virtual ItemPtr getNext() = 0;
    // Takes every match at the time of the call and gives the first. An empty
    // optional: the call failed (a filter not understood, an unreadable
    // folder); a nullptr: nothing matches.
    virtual std::optional<ItemPtr> find(std::string_view filter) = 0;
    // The next match of the last find() that still exists and still matches
    // the filter as the item is now (an e-mail another program marked read
    // meanwhile is no longer "[UnRead]=true"); nullptr when none is left. Each
    // match is given once; moving or marking the items found does not disturb
    // the walk.
    virtual ItemPtr findNext() = 0;
    // The matching items as their own collection; nullptr when the filter is
    // not understood or the folder cannot be read.
    virtual std::shared_ptr<Items> restrict(std::string_view filter) = 0;
};
using ItemsPtr = std::shared_ptr<Items>;

} // namespace kvn::outlook
