#include "addin/first_run_steps.h"

#include "addin/first_run_addresses.h"
#include "lists/list_kind.h"

#include <algorithm>
#include <optional>

namespace kvn {
namespace {

void addUnderLock(
    WhiteListTarget& target, const outlook::AddressEntry& found, std::string displayName, PresentEntry present)
{
    std::lock_guard lock(target.lock);
    addWhiteAddress(
        target.lists.sequence(ListKind::Address, true), found.address, std::move(displayName), present, target.today);
}

// A name to show for a mail address: its display name, or the address itself
// when it has none, as the mail program shows it.
std::string nameOrAddress(const outlook::AddressEntry& entry)
{
    return entry.name.empty() ? entry.address : entry.name;
}

struct ReadableItems {
    outlook::ItemsPtr items;
    std::size_t count = 0;
};

// A folder's items with their number; empty when either cannot be had.
std::optional<ReadableItems> readableItems(const outlook::FolderPtr& folder)
{
    const outlook::ItemsPtr items = folder ? folder->items() : nullptr;
    const std::optional<std::size_t> count = items ? items->count() : std::nullopt;
    if (!count)
        return std::nullopt;
    return ReadableItems{items, *count};
}

outlook::FolderPtr defaultFolder(outlook::Application& application, int which)
{
    const outlook::NamespacePtr mapi = application.getNamespace("MAPI");
    return mapi ? mapi->getDefaultFolder(which) : nullptr;
}

void addRecipients(outlook::SafeMailItem& safe, WhiteListTarget& target)
{
    const std::shared_ptr<outlook::Recipients> recipients = safe.recipients();
    if (!recipients)
        return;
    for (std::size_t i = 1; i <= recipients->count(); ++i)
        if (const auto recipient = recipients->item(i))
            addUnderLock(target, *recipient, nameOrAddress(*recipient), PresentEntry::NameTheAddress);
}

void addSender(outlook::SafeMailItem& safe, WhiteListTarget& target)
{
    const std::optional<std::shared_ptr<outlook::AddressEntry>> sender = safe.sender();
    if (!sender || !*sender)
        return;
    addUnderLock(target, **sender, safe.senderName().value_or(""), PresentEntry::NameTheAddress);
}

// The bar's position after `done` of `total` e-mails, moving from `from` by
// at most `span`.
int barAfter(int from, int span, std::size_t done, std::size_t total)
{
    if (total == 0)
        return from + span;
    return from + static_cast<int>(std::min(done, total) * static_cast<std::size_t>(span) / total);
}

// Walks the items, hands each e-mail to the safe item and `read`, and calls
// `afterEach` with the number of items walked so far.
template <class Read, class AfterEach>
void walkMail(outlook::Items& items, outlook::SafeMailItem& safe, Read read, AfterEach afterEach)
{
    std::size_t done = 0;
    for (outlook::ItemPtr item = items.getFirst(); item; item = items.getNext()) {
        if (const outlook::MailItemPtr mail = item->asMailItem()) {
            safe.setItem(mail);
            read(safe);
        }
        afterEach(++done);
    }
    safe.setItem(nullptr);
}

bool cleanUp(outlook::Application& application)
{
    const std::shared_ptr<outlook::MapiUtils> utils = application.createMapiUtils();
    if (!utils)
        return false;
    utils->cleanup();
    return true;
}

} // namespace

bool addContactAddresses(outlook::Application& application, WhiteListTarget& target)
{
    const std::optional<ReadableItems> contacts = readableItems(defaultFolder(application, outlook::olFolderContacts));
    if (!contacts)
        return false;
    const std::shared_ptr<outlook::SafeContactItem> safe = application.createSafeContactItem();
    if (!safe)
        return false;
    for (outlook::ItemPtr item = contacts->items->getFirst(); item; item = contacts->items->getNext()) {
        const outlook::ContactItemPtr contact = item->asContactItem();
        if (!contact)
            continue;
        safe->setItem(contact);
        for (int index = 1; index <= 3; ++index) {
            const outlook::AddressEntry email = safe->email(index);
            addUnderLock(target, email, email.name, PresentEntry::Keep);
        }
    }
    safe->setItem(nullptr);
    return true;
}

bool addSentRecipients(outlook::Application& application, WhiteListTarget& target, const BarSetter& bar)
{
    const std::optional<ReadableItems> sent = readableItems(defaultFolder(application, outlook::olFolderSentMail));
    if (!sent)
        return false;
    if (sent->count == 0) {
        bar(50);
        return true;
    }
    const std::shared_ptr<outlook::SafeMailItem> safe = application.createSafeMailItem();
    if (!safe)
        return false;
    walkMail(
        *sent->items, *safe, [&](outlook::SafeMailItem& mail) { addRecipients(mail, target); },
        [&](std::size_t done) { bar(barAfter(10, 40, done, sent->count)); });
    if (!cleanUp(application))
        return false;
    bar(50);
    return true;
}

bool addFolderSenders(outlook::Application& application, const std::vector<outlook::FolderPtr>& folders,
    WhiteListTarget& target, const BarSetter& bar)
{
    std::vector<ReadableItems> readable;
    std::size_t total = 0;
    for (const outlook::FolderPtr& folder : folders) {
        std::optional<ReadableItems> items = readableItems(folder);
        if (!items)
            return false;
        total += items->count;
        readable.push_back(std::move(*items));
    }
    const std::shared_ptr<outlook::SafeMailItem> safe = readable.empty() ? nullptr : application.createSafeMailItem();
    if (!readable.empty() && !safe)
        return false;
    std::size_t doneBefore = 0;
    for (const ReadableItems& folder : readable) {
        walkMail(
            *folder.items, *safe, [&](outlook::SafeMailItem& mail) { addSender(mail, target); },
            [&](std::size_t done) {
                // A folder that gained e-mails since it was counted moves the
                // bar no further than its count.
                bar(barAfter(50, 50, doneBefore + std::min(done, folder.count), total));
            });
        doneBefore += folder.count;
    }
    if (!cleanUp(application))
        return false;
    bar(100);
    return true;
}

} // namespace kvn
