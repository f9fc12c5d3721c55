#include "addin/work_folders.h"

#include "analysis/filter_date.h"
#include "lists/settings.h"
#include "lists/settings_table.h"
#include "platform/core/utf8_text.h"

namespace kvn {
namespace {

// The Inbox's unread e-mails received while the last stop's day ran out.
void recordAlreadySeen(EngineState& state, outlook::Folder& inbox)
{
    const outlook::ItemsPtr items = inbox.items();
    if (!items)
        return;
    const std::string filter = "[UnRead]=true and [ReceivedTime]>='" + formatFilterDate(state.CheckFromTime)
        + "' and [ReceivedTime]<='" + formatFilterDate(state.settings.lastStopTime) + "'";
    const std::optional<outlook::ItemPtr> first = items->find(filter);
    if (!first)
        return;
    for (outlook::ItemPtr item = *first; item; item = items->findNext()) {
        const outlook::MailItemPtr mail = item->asMailItem();
        if (!mail)
            continue;
        std::string entryId = mail->entryId();
        if (entryId.empty())
            continue;
        std::lock_guard lock(state.lock);
        state.deliveredMailIds.append(std::move(entryId));
    }
}

void discoverStore(EngineState& state, outlook::Folder& top, const std::string& storeName,
    const std::string& defaultInboxStore, DebugLog& log)
{
    const outlook::FoldersPtr folders = top.folders();
    if (!folders)
        return;
    outlook::FolderPtr folder = folders->getFirst();
    log.line("  GetAllInboxFolders - p3 - " + storeName + " - ");
    for (; folder; folder = folders->getNext()) {
        const std::string name = folder->name();
        log.line("  GetAllInboxFolders - p4 - " + name + " - ");
        if (name != inboxFolderName)
            continue;
        state.folders.inboxes.push_back(folder);
        if (storeName == defaultInboxStore)
            state.folders.defaultInbox = folder;
        recordAlreadySeen(state, *folder);
    }
}

bool hasSubFolderNamed(outlook::Folders& folders, std::string_view name)
{
    for (outlook::FolderPtr folder = folders.getFirst(); folder; folder = folders.getNext())
        if (folder->name() == name)
            return true;
    return false;
}

// The shortcut to the new folder, third in the Outlook bar's first group.
bool addQuarantineShortcut(outlook::Application& application, const outlook::FolderPtr& quarantine)
{
    const outlook::ExplorerPtr explorer = application.activeExplorer();
    const auto panes = explorer ? explorer->panes() : nullptr;
    const auto pane = panes ? panes->item(outlook::outlookBarPaneName) : nullptr;
    const auto bar = pane ? pane->asOutlookBarPane() : nullptr;
    const auto contents = bar ? bar->contents() : nullptr;
    const auto groups = contents ? contents->groups() : nullptr;
    const auto group = groups ? groups->item(1) : nullptr;
    const auto shortcuts = group ? group->shortcuts() : nullptr;
    return shortcuts && shortcuts->add(quarantine, quarantineFolderName, 3);
}

} // namespace

bool CreateQuarantineFolder(outlook::Application& application)
{
    const outlook::NamespacePtr mapi = application.getNamespace("MAPI");
    const outlook::FolderPtr contacts = mapi ? mapi->getDefaultFolder(outlook::olFolderContacts) : nullptr;
    const outlook::FolderPtr top = contacts ? contacts->parent() : nullptr;
    const outlook::FoldersPtr folders = top ? top->folders() : nullptr;
    if (!folders)
        return false;
    if (hasSubFolderNamed(*folders, quarantineFolderName))
        return true;
    const outlook::FolderPtr quarantine = folders->add(quarantineFolderName, outlook::olFolderInbox);
    return quarantine && addQuarantineShortcut(application, quarantine);
}

bool FindWorkFolders(EngineState& state, outlook::Application& application)
{
    const outlook::NamespacePtr mapi = application.getNamespace("MAPI");
    if (!mapi)
        return false;
    state.folders.deletedItems = mapi->getDefaultFolder(outlook::olFolderDeletedItems);
    if (!state.folders.deletedItems)
        return false;
    const outlook::FolderPtr top = state.folders.deletedItems->parent();
    const outlook::FoldersPtr folders = top ? top->folders() : nullptr;
    if (!folders)
        return false;
    state.folders.quarantine = folders->item(quarantineFolderName);
    return state.folders.quarantine != nullptr;
}

void GetAllInboxFolders(EngineState& state, outlook::Application& application, DebugLog& log)
{
    log.line("  GetAllInboxFolders - p1 - ");
    state.folders.defaultInbox = nullptr;
    const std::string defaultInboxStore
        = readString(profileSubKey(state.data.profileName()), setting::DefaultInbox, "");
    const outlook::NamespacePtr mapi = application.getNamespace("MAPI");
    const outlook::FoldersPtr stores = mapi ? mapi->folders() : nullptr;
    if (stores) {
        outlook::FolderPtr top = stores->getFirst();
        state.storeNames.clear();
        state.folders.inboxes.clear();
        {
            std::lock_guard lock(state.lock);
            state.deliveredMailIds.clear();
        }
        log.line("  GetAllInboxFolders - p2 - ");
        for (; top; top = stores->getNext()) {
            const std::string storeName = top->name();
            if (equalsIgnoringCase(storeName, archiveStoreName))
                continue;
            state.storeNames.push_back(storeName);
            discoverStore(state, *top, storeName, defaultInboxStore, log);
        }
    }
    log.line("  GetAllInboxFolders - finished - ");
}

} // namespace kvn
