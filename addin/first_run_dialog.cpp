#include "addin/first_run_dialog.h"

#include "addin/first_run_addresses.h"
#include "addin/first_run_import.h"
#include "addin/first_run_steps.h"
#include "addin/work_folders.h"
#include "lists/list_kind.h"
#include "platform/core/ole_date.h"

#include <algorithm>
#include <cassert>

namespace kvn {

FirstRunDialog::FirstRunDialog(EngineState& state, FirstRunServices services) : state_(state), services_(services) { }

void FirstRunDialog::setContacts(bool checked)
{
    if (nextEnabled_)
        contacts_.checked = checked;
}

void FirstRunDialog::setSentItems(bool checked)
{
    if (nextEnabled_)
        sentItems_.checked = checked;
}

void FirstRunDialog::setImportFile(bool checked)
{
    if (nextEnabled_)
        importFile_.checked = checked;
}

void FirstRunDialog::setOtherFolders(bool checked)
{
    if (!nextEnabled_)
        return;
    otherFolders_.checked = checked;
    if (checked)
        return;
    otherFolders_.caption = firstRunText::otherFolders;
    chosenFolders_.clear();
    chosenIds_.clear();
}

void FirstRunDialog::addFolder(const PickedFolder& picked)
{
    if (!addFolderEnabled())
        return;
    if (picked.failed) {
        message("An error occured. Please retry", "Error", MessageIcon::None);
        return;
    }
    if (!picked.folder)
        return;
    if (picked.folder->defaultItemType() != outlook::olMailItem) {
        message("Please select only folders containing e-mails.", "Incompatible items", MessageIcon::None);
        return;
    }
    std::string entryId = picked.folder->entryId();
    // A folder without an identifier could not be told from the others.
    if (entryId.empty()) {
        message("An error occured. Please retry", "Error", MessageIcon::None);
        return;
    }
    if (std::find(chosenIds_.begin(), chosenIds_.end(), entryId) != chosenIds_.end()) {
        message("This folder has been already selected.", "Already selected", MessageIcon::Information);
        return;
    }
    chosenFolders_.push_back(picked.folder);
    chosenIds_.push_back(std::move(entryId));
    otherFolders_.caption += picked.folder->name() + "  ";
}

void FirstRunDialog::next()
{
    if (!nextEnabled_)
        return;
    nextEnabled_ = false;
    const bool contacts = contacts_.checked;
    const bool sentItems = sentItems_.checked;
    const bool otherFolders = otherFolders_.checked;
    if (importFile_.checked)
        importLists();
    if (CreateQuarantineFolder(services_.application))
        setBar(FirstRunBar::Folders, 100);
    buildWhiteList(contacts, sentItems, otherFolders);
    showOutcome();
}

void FirstRunDialog::importLists()
{
    message("Please select a file that contains older White & Black Lists", "Import Lists", MessageIcon::Warning);
    const std::optional<std::string> file
        = services_.ui.chooseFileToOpen(FileOpenRequest{"KVN List (*.lst)|*.lst||", "lists"});
    if (!file)
        return;
    // A file that cannot be read imports nothing; the steps go on.
    ImportedLists imported = readImportedLists(services_.files, *file);
    std::lock_guard lock(state_.lock);
    appendImportedLists(state_.data.lists(), std::move(imported.records));
}

void FirstRunDialog::buildWhiteList(bool contacts, bool sentItems, bool otherFolders)
{
    WhiteListTarget target{state_.lock, state_.data.lists(), formatDottedDate(services_.clock.nowLocal())};
    {
        std::lock_guard lock(state_.lock);
        appendGuard(target.lists.sequence(ListKind::Address, true));
    }
    const BarSetter bar = [this](int position) { setBar(FirstRunBar::WhiteList, position); };
    if (!contacts || addContactAddresses(services_.application, target))
        bar(10);
    if (sentItems)
        addSentRecipients(services_.application, target, bar);
    else
        bar(50);
    if (otherFolders)
        addFolderSenders(services_.application, chosenFolders_, target, bar);
    else
        bar(100);
    std::lock_guard lock(state_.lock);
    [[maybe_unused]] const bool removed = removeGuard(target.lists.sequence(ListKind::Address, true));
    assert(removed && "nothing removes the guard but this");
}

void FirstRunDialog::showOutcome()
{
    finished_ = true;
    succeeded_ = foldersBar_ == 100 && whiteListBar_ == 100;
    resultText_ = succeeded_ ? firstRunText::success : firstRunText::failure;
    doneCaption_ = succeeded_ ? firstRunText::done : firstRunText::errorButton;
}

void FirstRunDialog::setBar(FirstRunBar bar, int position)
{
    int& current = bar == FirstRunBar::Folders ? foldersBar_ : whiteListBar_;
    if (current == position)
        return;
    current = position;
    if (listener_)
        listener_(bar, position);
}

void FirstRunDialog::message(std::string_view text, std::string_view caption, MessageIcon icon)
{
    services_.ui.showMessage(MessageRequest{std::string(text), std::string(caption), icon, MessageButtons::Ok, 0});
}

} // namespace kvn
