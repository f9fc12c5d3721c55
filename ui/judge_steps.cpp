#include "ui/judge_steps.h"

namespace kvn::judge {

outlook::FolderPtr namespaceInbox(outlook::Application& application)
{
    const outlook::NamespacePtr mapi = application.getNamespace("MAPI");
    return mapi ? mapi->getDefaultFolder(outlook::olFolderInbox) : nullptr;
}

outlook::FolderPtr trustTarget(const JudgeContext& context)
{
    return context.defaultInbox ? context.defaultInbox : namespaceInbox(context.application);
}

outlook::FolderPtr sweepTarget(JudgeContext& context, bool trust)
{
    return trust ? namespaceInbox(context.application) : context.deletedItems;
}

outlook::MailItemPtr moveTo(const outlook::MailItemPtr& mail, const outlook::FolderPtr& folder)
{
    if (!mail || !folder)
        return nullptr;
    return mail->move(folder);
}

MessageAnswer ask(Ui& ui, const std::string& text, const std::string& caption, MessageIcon icon, MessageButtons buttons)
{
    MessageRequest request;
    request.text = text;
    request.caption = caption;
    request.icon = icon;
    request.buttons = buttons;
    return ui.showMessage(request);
}

bool askYesNo(Ui& ui, const std::string& text, const std::string& caption)
{
    return ask(ui, text, caption, MessageIcon::Warning, MessageButtons::YesNo) == MessageAnswer::Yes;
}

std::shared_ptr<outlook::Selection> selectedMail(JudgeContext& context)
{
    const outlook::ExplorerPtr explorer = context.application.activeExplorer();
    const outlook::FolderPtr folder = explorer ? explorer->currentFolder() : nullptr;
    const std::optional<int> kind = folder ? folder->defaultItemType() : std::nullopt;
    if (!kind)
        return nullptr;
    if (*kind != outlook::olMailItem) {
        (void)ask(context.ui, "This feature only works with Mail Items\nPlease select only e-mails.",
            "Incompatible items", MessageIcon::Error, MessageButtons::Ok);
        return nullptr;
    }
    return explorer->selection();
}

std::optional<Sender> senderOf(outlook::SafeMailItem& safe, const outlook::MailItemPtr& mail)
{
    safe.setItem(mail);
    const std::optional<std::string> name = safe.senderName();
    const std::optional<std::shared_ptr<outlook::AddressEntry>> entry = safe.sender();
    if (!entry || !*entry)
        return std::nullopt;
    return Sender{name.value_or(std::string()), (*entry)->address};
}

std::string domainPart(const std::string& address)
{
    const std::size_t at = address.rfind('@');
    return at == std::string::npos ? std::string() : address.substr(at);
}

bool cleanUp(outlook::Application& application)
{
    const std::shared_ptr<outlook::MapiUtils> utilities = application.createMapiUtils();
    if (!utilities)
        return false;
    utilities->cleanup();
    return true;
}

} // namespace kvn::judge
