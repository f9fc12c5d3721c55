#include "addin/addin_object.h"

#include "addin/kvn_bar.h"
#include "addin/recipient_trust.h"
#include "platform/core/clock.h"
#include "platform/core/file_system.h"
#include "platform/odbc/odbc.h"
#include "platform/outlook/outlook_command_bars.h"
#include "platform/outlook/outlook_explorer.h"
#include "platform/outlook/outlook_inspectors.h"
#include "platform/outlook/outlook_redemption.h"
#include "ui/qt_addin_windows.h"
#include "ui/ui_factory.h"

namespace kvn {
Addin::Addin() : ui_(makeUi()), windows_(makeAddinWindows(*ui_)) { }

Addin::Addin(std::unique_ptr<Ui> ui) : ui_(std::move(ui)), windows_(makeAddinWindows(*ui_)) { }

Addin::~Addin()
{
    // A host that drops the object without disconnecting still gets the
    // engine's threads joined (CMain's destructor saves nothing).
    subscriptions_.clear();
    commands_.reset();
    engine_.reset();
}

com::HRESULT Addin::fail(const char* caption, com::HRESULT result)
{
    MessageRequest request;
    request.text = startErrorText;
    request.caption = caption;
    request.icon = MessageIcon::Error;
    ui_->showMessage(request);
    return result;
}

com::HRESULT Addin::OnConnection(com::IDispatch* application, com::ext_ConnectMode, com::IDispatch*, com::SafeArray*)
{
    com::ComPtr<outlook::IOutlookApplication> outlookApplication;
    if (!application || com::FAILED(application->QueryInterface(outlook::applicationIid, outlookApplication.putVoid()))
        || !outlookApplication)
        return fail("Error 001", com::S_FALSE);
    application_ = outlookApplication;
    model_ = outlookApplication->objectModel();
    if (!model_)
        return fail("Error 001", com::S_FALSE);

    EngineServices services{model_, realFileSystem(), systemClock(), *ui_, odbc::realOdbc(), {}, nullptr,
        windows_->makeBanner(), windows_->newsWindowFactory()};
    engine_ = std::make_unique<CMain>(std::move(services));
    if (!engine_->constructedOK())
        return fail("Error 0011", com::S_FALSE);

    explorer_ = model_->activeExplorer();
    if (!explorer_)
        return fail("Error 002", com::S_FALSE);
    const outlook::CommandBarsPtr bars = explorer_->commandBars();
    if (!bars)
        return fail("Error 104", com::S_FALSE);
    double checkFromTime = 0;
    {
        std::lock_guard<std::mutex> hold(engine_->state().lock);
        checkFromTime = engine_->state().CheckFromTime;
    }
    if (const std::string failed = buildKvnBar(*bars, checkFromTime, bar_); !failed.empty())
        return fail(failed.c_str(), -1);

    commands_ = std::make_unique<KvnCommands>(engine_.get(), model_, *ui_, *windows_, systemClock(), bar_.recheck);
    subscribe();
    return com::S_OK;
}

void Addin::subscribeTo(com::IUnknown* source, const com::Guid& events, com::EventHandler handler)
{
    if (!source)
        return;
    com::EventSubscription subscription;
    const com::ComPtr<com::IDispatch> sink = com::makeEventSink(events, std::move(handler));
    if (com::SUCCEEDED(subscription.subscribe(source, events, sink.get())))
        subscriptions_.push_back(std::move(subscription));
}

void Addin::subscribe()
{
    // Click(button, cancel): the command ignores both arguments.
    for (auto& [button, command] : barCommands(bar_, *commands_))
        subscribeTo(button->eventSource(), outlook::commandBarButtonEventsIid,
            [command = std::move(command)](com::DISPID member, auto) {
                if (member == outlook::dispidClick)
                    command();
                return com::S_OK;
            });
    // NewMail and ItemSend come from the same source; each has a
    // subscription of its own, as each has its own cookie.
    subscribeTo(application_.get(), outlook::applicationEventsIid, [this](com::DISPID member, auto arguments) {
        return member == outlook::dispidNewMail ? onApplicationEvent(member, arguments) : com::S_OK;
    });
    subscribeTo(application_.get(), outlook::applicationEventsIid, [this](com::DISPID member, auto arguments) {
        return member == outlook::dispidItemSend ? onApplicationEvent(member, arguments) : com::S_OK;
    });
    subscribeTo(explorer_->eventSource(), outlook::explorerEventsIid, [this](com::DISPID member, auto) {
        if (member == outlook::dispidFolderSwitch)
            onFolderSwitch();
        return com::S_OK;
    });
    inspectors_ = model_->inspectors();
    if (inspectors_)
        subscribeTo(inspectors_->eventSource(), outlook::inspectorsEventsIid, [](com::DISPID, auto) {
            return com::S_OK; // a new inspector needs nothing
        });
}

com::HRESULT Addin::onApplicationEvent(com::DISPID member, std::span<const com::Variant> arguments)
{
    if (!engine_)
        return com::S_OK;
    if (member == outlook::dispidNewMail)
        engine_->RequestRun();
    else if (member == outlook::dispidItemSend)
        onItemSend(outlook::itemOf(com::unknownArgument(arguments, 0)));
    return com::S_OK;
}

void Addin::onItemSend(const outlook::ItemPtr& item)
{
    const std::shared_ptr<outlook::SafeMailItem> safe = model_->createSafeMailItem();
    if (!safe || !item)
        return;
    safe->setItem(item->asMailItem());
    const std::vector<RecipientAddress> recipients = recipientsOf(*safe);
    EngineState& state = engine_->state();
    trustRecipients(state.data.lists(), state.lock, recipients, systemClock());
    if (const auto utilities = model_->createMapiUtils())
        utilities->cleanup();
}

void Addin::onFolderSwitch()
{
    const outlook::ExplorerPtr explorer = model_->activeExplorer();
    const outlook::FolderPtr folder = explorer ? explorer->currentFolder() : nullptr;
    if (!folder || folder->name() != quarantineFolderName)
        return;
    (void)explorer->showPane(outlook::olPreview, false);
}

com::HRESULT Addin::IsIdle() { return engine_ && engine_->IsBusy() ? com::S_FALSE : com::S_OK; }

com::HRESULT Addin::OnDisconnection(com::ext_DisconnectMode removeMode, com::SafeArray*)
{
    if (removeMode == com::ext_dm_UserClosed)
        deleteKvnBar(model_);
    subscriptions_.clear();
    commands_.reset();
    if (engine_ && engine_->constructedOK())
        engine_->Shutdown();
    engine_.reset();
    release();
    return com::S_OK;
}

void Addin::release()
{
    subscriptions_.clear();
    bar_ = KvnBar{};
    inspectors_.reset();
    explorer_.reset();
    model_.reset();
    application_.reset();
}

} // namespace kvn
