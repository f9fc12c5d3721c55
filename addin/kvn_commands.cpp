#include "addin/kvn_commands.h"

#include "lists/settings.h"

namespace kvn {

KvnCommands::KvnCommands(CMain* engine, outlook::ApplicationPtr application, Ui& ui, AddinWindows& windows,
    const Clock& clock, std::shared_ptr<outlook::CommandBarButton> recheckButton)
    : engine_(engine),
      application_(std::move(application)),
      ui_(ui),
      windows_(windows),
      clock_(clock),
      recheckButton_(std::move(recheckButton))
{
}

void KvnCommands::show(const std::string& text, const std::string& caption, MessageIcon icon)
{
    MessageRequest request;
    request.text = text;
    request.caption = caption;
    request.icon = icon;
    (void)ui_.showMessage(request);
}

bool KvnCommands::refusedAsBusy()
{
    if (!engine_ || !engine_->IsBusy())
        return false;
    show(busyText, busyCaption, MessageIcon::Information);
    return true;
}

void KvnCommands::comesLater(const std::string& window)
{
    show("\"" + window + "\" comes in a later version of KVN.", "KVN", MessageIcon::Information);
}

JudgeContext KvnCommands::judgeContext()
{
    EngineState& state = engine_->state();
    outlook::FolderPtr defaultInbox;
    outlook::FolderPtr deletedItems;
    // The start-up run writes the folders; once it is over they stay.
    if (engine_->startupFinished()) {
        defaultInbox = state.folders.defaultInbox;
        deletedItems = state.folders.deletedItems;
    } else if (const outlook::NamespacePtr mapi = application_->getNamespace("MAPI")) {
        deletedItems = mapi->getDefaultFolder(outlook::olFolderDeletedItems);
    }
    return JudgeContext{
        *application_, state.lock, state.data.lists(), state.deliveredMailIds, defaultInbox, deletedItems, ui_, clock_};
}

void KvnCommands::goToQuarantineFolder()
{
    if (!engine_ || !engine_->startupFinished() || !engine_->state().folders.quarantine)
        return;
    if (const outlook::ExplorerPtr explorer = application_->activeExplorer())
        (void)explorer->setCurrentFolder(engine_->state().folders.quarantine);
}

bool KvnCommands::listsReady()
{
    if (!engine_)
        return false;
    if (engine_->storedDataLoaded())
        return true;
    show(busyText, busyCaption, MessageIcon::Information);
    return false;
}

void KvnCommands::judgeSenders(bool trust)
{
    if (!listsReady())
        return;
    JudgeContext context = judgeContext();
    JudgeSelectedSenders(context, trust);
}

void KvnCommands::judgeDomains(bool trust)
{
    if (!listsReady())
        return;
    JudgeContext context = judgeContext();
    JudgeSelectedDomains(context, trust);
}

void KvnCommands::recheck()
{
    if (refusedAsBusy())
        return;
    if (!engine_) {
        show("An unexpected error occured. Please re-start Outlook.", "Unexpected error", MessageIcon::Error);
        return;
    }
    double checkFromTime = 0;
    {
        std::lock_guard<std::mutex> hold(engine_->state().lock);
        checkFromTime = engine_->state().CheckFromTime;
    }
    const std::optional<double> chosen = windows_.askRecheckDate(checkFromTime);
    if (!chosen)
        return;
    if (recheckButton_)
        (void)recheckButton_->setTooltipText(recheckTooltip(*chosen));
    engine_->Recheck(*chosen);
}

void KvnCommands::showLists()
{
    if (!refusedAsBusy())
        comesLater("Show lists");
}

void KvnCommands::showStatistics() { comesLater("Show statistics"); }

void KvnCommands::showOptions()
{
    if (!refusedAsBusy())
        comesLater("Options");
}

void KvnCommands::showHelp()
{
    const std::string helpFile = (engine_ ? engine_->Install_Dir() : readInstallDir()) + "/" + helpFileName;
    if (!ui_.openWithShell(helpFile, ""))
        show("The help file " + helpFile + " cannot be opened.", "KVN", MessageIcon::Error);
}

void KvnCommands::showAbout()
{
    if (!windows_.showAbout())
        comesLater("About");
}

std::vector<std::pair<std::shared_ptr<outlook::CommandBarButton>, std::function<void()>>> barCommands(
    const KvnBar& bar, KvnCommands& commands)
{
    std::vector<std::pair<std::shared_ptr<outlook::CommandBarButton>, std::function<void()>>> wired = {
        {bar.folder, [&commands] { commands.goToQuarantineFolder(); }},
        {bar.friendButton, [&commands] { commands.judgeSenders(true); }},
        {bar.trustDomain, [&commands] { commands.judgeDomains(true); }},
        {bar.foe, [&commands] { commands.judgeSenders(false); }},
        {bar.blockDomain, [&commands] { commands.judgeDomains(false); }},
        {bar.recheck, [&commands] { commands.recheck(); }},
        {bar.showLists, [&commands] { commands.showLists(); }},
        {bar.help, [&commands] { commands.showHelp(); }},
        {bar.showStatistics, [&commands] { commands.showStatistics(); }},
        {bar.options, [&commands] { commands.showOptions(); }},
        {bar.about, [&commands] { commands.showAbout(); }},
    };
    std::erase_if(wired, [](const auto& command) { return !command.first; });
    return wired;
}

} // namespace kvn
