// kvnctl mail: the profile's folders and e-mails as the filter sees them
// (decoded subjects and names, attachment names, the sender IP), and the
// moves and read marks the filter makes, for people checking their rules.
#include "analysis/sender_ip.h"
#include "platform/core/ole_date.h"
#include "platform/outlook/maildir_filter.h"
#include "tools/kvnctl/mail_session.h"

namespace kvn::kvnctl {
namespace {

using namespace kvn::outlook;

struct MailFacts {
    std::string entryId;
    std::string receivedTime;
    bool unread = false;
    std::string subject;
    std::string senderName;
    std::string senderAddress;
    std::vector<AddressEntry> recipients;
    std::vector<std::string> attachments;
    std::string senderIp;
};

std::string formatReceived(std::optional<double> oleDate)
{
    auto local = oleDate ? localFromOleDate(*oleDate) : std::nullopt;
    return local ? formatLocalTime(*local, "%Y-%m-%d %H:%M:%S") : std::string();
}

MailFacts factsOf(const MailItemPtr& mail, SafeMailItem& safe)
{
    MailFacts facts;
    facts.entryId = mail->entryId();
    facts.receivedTime = formatReceived(mail->receivedTime());
    facts.unread = mail->unRead().value_or(false);
    facts.subject = mail->subject().value_or("");
    safe.setItem(mail);
    facts.senderName = safe.senderName().value_or("");
    auto sender = safe.sender();
    facts.senderAddress = sender && *sender ? (*sender)->address : "";
    if (auto recipients = safe.recipients()) {
        for (std::size_t i = 1; i <= recipients->count(); ++i)
            facts.recipients.push_back(*recipients->item(i));
    }
    if (auto attachments = mail->attachments()) {
        for (std::size_t i = 1; i <= attachments->count(); ++i)
            facts.attachments.push_back(attachments->item(i)->fileName());
    }
    facts.senderIp = extractSenderIp(safe.fields(PR_TRANSPORT_MESSAGE_HEADERS).value_or(""));
    return facts;
}

constexpr Column mailColumns[] = {{"EntryID", "EntryID"}, {"ReceivedTime", "Received"}, {"UnRead", "Unread"},
    {"SenderAddress", "From"}, {"SenderIp", "Sender IP"}, {"Subject", "Subject"}};
constexpr Column contactColumns[] = {{"EntryID", "EntryID"}, {"FullName", "Name"}, {"Address1", "E-mail"},
    {"Address2", "E-mail 2"}, {"Address3", "E-mail 3"}};
constexpr Column folderColumns[] = {{"Folder", "Folder"}, {"Messages", "Messages"}, {"Unread", "Unread"}};

void printFacts(Printer& printer, const MailFacts& facts)
{
    printer.beginMap();
    printer.field("EntryID", facts.entryId);
    printer.field("ReceivedTime", facts.receivedTime);
    printer.field("UnRead", facts.unread);
    printer.field("Subject", facts.subject);
    printer.field("SenderName", facts.senderName);
    printer.field("SenderAddress", facts.senderAddress);
    printer.key("Recipients");
    printer.beginList();
    for (const auto& recipient : facts.recipients) {
        printer.beginMap();
        printer.field("Name", recipient.name);
        printer.field("Address", recipient.address);
        printer.endMap();
    }
    printer.endList();
    printer.key("Attachments");
    printer.beginList();
    for (const auto& name : facts.attachments)
        printer.string(name);
    printer.endList();
    printer.field("SenderIp", facts.senderIp);
    printer.endMap();
}

const char* const filterForms = "the forms are [UnRead]=true, [UnRead]=false and [ReceivedTime] with >=, >, <=, "
                                "< or = and a date like 'Jan 05 2024 09:30 PM', joined with \"and\"";

// A contact with its addresses numbered as the card holds them.
void printContact(Printer& printer, ContactItem& contact)
{
    printer.beginMap();
    printer.field("EntryID", contact.entryId());
    printer.field("FullName", contact.fullName());
    const std::vector<AddressEntry> addresses = contact.emailAddresses();
    for (std::size_t i = 0; i < addresses.size(); ++i)
        printer.field("Address" + std::to_string(i + 1), addresses[i].address);
    printer.endMap();
}

int listContacts(Items& items, Printer& printer)
{
    printer.beginTable(contactColumns, {"contact", "contacts"});
    for (auto item = items.getFirst(); item; item = items.getNext()) {
        if (auto contact = item->asContactItem())
            printContact(printer, *contact);
    }
    printer.endTable();
    printer.finish();
    return exitSuccess;
}

NamespacePtr openNamespace(const CommandContext& context)
{
    auto app = openProfileMail(context);
    return app ? app->getNamespace("MAPI") : nullptr;
}

int listFolders(CommandContext& context)
{
    auto printer = context.takePrinter();
    context.arguments.expectNoMore();
    auto ns = openNamespace(context);
    if (!ns || ns->folders()->count() == 0)
        return context.nothingToChange(
            "the profile " + context.options.profile + " has no mail store (kvnctl profile add-store)");
    std::vector<std::string> unreadable;
    printer->beginTable(folderColumns, {"folder", "folders"});
    for (const auto& folder : allMailFolders(ns)) {
        auto items = folder->items();
        auto unread = items ? items->restrict("[UnRead]=true") : nullptr;
        auto messages = items ? items->count() : std::nullopt;
        auto unreadMessages = unread ? unread->count() : std::nullopt;
        printer->beginMap();
        printer->field("Folder", pathOfFolder(folder));
        if (messages && unreadMessages) {
            printer->field("Messages", static_cast<std::int64_t>(*messages));
            printer->field("Unread", static_cast<std::int64_t>(*unreadMessages));
        } else {
            // The counts are unknown, not zero.
            printer->key("Messages");
            printer->null();
            printer->key("Unread");
            printer->null();
            printer->field("Error", "cannot be read");
            unreadable.push_back(pathOfFolder(folder));
        }
        printer->endMap();
    }
    printer->endTable();
    printer->finish();
    for (const auto& path : unreadable)
        context.fail("cannot read the folder " + path);
    return unreadable.empty() ? exitSuccess : exitFileError;
}

int listMail(CommandContext& context)
{
    auto printer = context.takePrinter();
    std::string path = context.arguments.takeWord("FOLDER (e.g. Inbox, or \"Store/Folder\")");
    auto filter = context.arguments.takeOption("--filter");
    context.arguments.expectNoMore();
    if (filter && !parseMailFilter(*filter))
        throw UsageError("the filter is not understood: " + *filter + "; " + filterForms);
    auto app = openProfileMail(context);
    auto ns = app->getNamespace("MAPI");
    auto folder = ns ? folderAtPath(ns, path) : nullptr;
    if (!folder)
        return context.nothingToChange("no such folder: " + path + " (kvnctl mail folders lists them)");
    auto items = folder->items();
    if (!items || !items->count())
        return context.fail("cannot read the folder " + path);
    if (folder->defaultItemType() == olContactItem) {
        if (filter)
            throw UsageError("a filter is for folders of e-mails; " + path + " holds contacts");
        return listContacts(*items, *printer);
    }
    ItemPtr item;
    if (filter) {
        auto first = items->find(*filter);
        if (!first && !items->count())
            return context.fail("cannot read the folder " + path);
        if (!first)
            return context.fail("cannot read the folder " + path);
        item = *first;
    } else {
        item = items->getFirst();
    }
    auto safe = app->createSafeMailItem();
    auto cleanup = app->createMapiUtils();
    printer->beginTable(mailColumns, {"e-mail", "e-mails"});
    for (; item; item = filter ? items->findNext() : items->getNext()) {
        if (auto mail = item->asMailItem())
            printFacts(*printer, factsOf(mail, *safe));
        cleanup->cleanup();
    }
    printer->endTable();
    printer->finish();
    return exitSuccess;
}

int moveMail(CommandContext& context)
{
    std::string entryId = context.arguments.takeWord("ENTRYID");
    std::string path = context.arguments.takeWord("FOLDER");
    context.arguments.expectNoMore();
    auto ns = openNamespace(context);
    if (ns) {
        // Deleted Items and Sent Items exist once asked for, as in a mail client.
        ns->getDefaultFolder(olFolderDeletedItems);
        ns->getDefaultFolder(olFolderSentMail);
    }
    auto target = ns ? folderAtPath(ns, path) : nullptr;
    if (!target || target->defaultItemType() != olMailItem)
        return context.nothingToChange("no such mail folder: " + path);
    auto mail = findMailById(ns, entryId);
    if (!mail)
        return context.nothingToChange("no e-mail has the EntryID " + entryId);
    if (!mail->move(target))
        return context.fail("cannot move " + entryId + " to " + path);
    return exitSuccess;
}

int markRead(CommandContext& context)
{
    std::string entryId = context.arguments.takeWord("ENTRYID");
    context.arguments.expectNoMore();
    auto ns = openNamespace(context);
    auto mail = ns ? findMailById(ns, entryId) : nullptr;
    if (!mail)
        return context.nothingToChange("no e-mail has the EntryID " + entryId);
    if (!mail->setUnRead(false))
        return context.fail("cannot mark " + entryId + " read");
    return exitSuccess;
}

} // namespace

int runMailCommand(CommandContext& context)
{
    const std::string action = context.arguments.takeWord("folders, list, move or mark-read");
    if (action == "folders")
        return listFolders(context);
    if (action == "list")
        return listMail(context);
    if (action == "move")
        return moveMail(context);
    if (action == "mark-read")
        return markRead(context);
    throw UsageError("unknown mail command: " + action);
}

} // namespace kvn::kvnctl
