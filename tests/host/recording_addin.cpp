// An add-in module for the tests: it records every call it receives as one
// line in the file named by $KVN_TEST_ADDIN_LOG, and on connection builds a
// bar "Recorder" with a button and a popup, and subscribes to the button's
// Click, the application's NewMail and ItemSend, the explorer's FolderSwitch
// and the inspectors' NewInspector.
//
// Set at registration: $KVN_TEST_ADDIN_LOAD_BEHAVIOR (default 3).
// Read at connection: $KVN_TEST_ADDIN_REFUSE=1 makes OnConnection return
// S_FALSE; $KVN_TEST_ADDIN_BUSY_CHECKS=n makes the add-in busy for the next
// n IsIdle questions after each NewMail; $KVN_TEST_ADDIN_DELIVER_TO=DIR
// makes OnConnection deliver one message into the Maildir DIR, as mail that
// arrives while the add-ins connect.
#include "platform/com/addin_idle.h"
#include "platform/com/addin_registration.h"
#include "platform/com/class_factory.h"
#include "platform/com/connection_point.h"
#include "platform/com/extensibility.h"
#include "platform/com/module_exports.h"
#include "platform/com/module_file.h"
#include "platform/outlook/outlook_com.h"
#include "platform/registry/registry.h"

#include <cstdio>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace kvn;
using com::HRESULT;

constexpr com::Guid recorderClsid = com::guidOf("{3F0C9A52-1B7E-4D8A-A3C4-9E2F61B0D7A8}");
constexpr com::Guid recorderTypeLib = com::guidOf("{8E4B2D17-6A93-4C05-B1F8-27D0C4E9A351}");

std::string environment(const char* name, const char* fallback = "")
{
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

void record(const std::string& line)
{
    const std::string path = environment("KVN_TEST_ADDIN_LOG");
    if (path.empty())
        return;
    std::ofstream log(path, std::ios::app);
    log << line << '\n';
}

com::AddinRegistration registration()
{
    com::AddinRegistration addin;
    addin.progId = "KvnTest.Recorder.1";
    addin.versionIndependentProgId = "KvnTest.Recorder";
    addin.className = "Recorder Class";
    addin.clsid = recorderClsid;
    addin.typeLib = recorderTypeLib;
    addin.typeLibName = "Recorder 1.0 Type Library";
    addin.friendlyName = "Test recorder";
    addin.description = "Records what the host calls";
    addin.loadBehavior = static_cast<std::uint32_t>(std::stoul(environment("KVN_TEST_ADDIN_LOAD_BEHAVIOR", "3")));
    return addin;
}

class Recorder final : public com::ComObject<com::IDTExtensibility2, com::IAddinIdle> {
public:
    HRESULT Invoke(com::DISPID, std::span<const com::Variant>) override { return com::E_NOTIMPL; }

    HRESULT OnConnection(
        com::IDispatch* application, com::ext_ConnectMode mode, com::IDispatch*, com::SafeArray*) override
    {
        record("OnConnection " + std::to_string(mode));
        busyChecks_ = std::stoi(environment("KVN_TEST_ADDIN_BUSY_CHECKS", "0"));
        if (const std::string maildir = environment("KVN_TEST_ADDIN_DELIVER_TO"); !maildir.empty()) {
            std::ofstream(maildir + "/tmp/1700000009.M9P9.test")
                << "From: a@example.org\r\nSubject: early\r\n\r\nHi\r\n";
            std::rename(
                (maildir + "/tmp/1700000009.M9P9.test").c_str(), (maildir + "/new/1700000009.M9P9.test").c_str());
        }
        if (environment("KVN_TEST_ADDIN_REFUSE") == "1") {
            record("refused");
            return com::S_FALSE;
        }
        com::ComPtr<outlook::IOutlookApplication> outlookApplication;
        if (!application
            || com::FAILED(application->QueryInterface(outlook::applicationIid, outlookApplication.putVoid()))) {
            record("no application");
            return com::S_FALSE;
        }
        application_ = outlookApplication;
        model_ = outlookApplication->objectModel();
        explorer_ = model_->activeExplorer();
        buildBar();
        subscribe();
        return com::S_OK;
    }

    HRESULT OnDisconnection(com::ext_DisconnectMode mode, com::SafeArray*) override
    {
        record("OnDisconnection " + std::to_string(mode));
        subscriptions_.clear();
        button_.reset();
        explorer_.reset();
        model_.reset();
        application_.reset();
        return com::S_OK;
    }

    HRESULT OnAddInsUpdate(com::SafeArray*) override { return com::E_NOTIMPL; }
    HRESULT OnStartupComplete(com::SafeArray*) override
    {
        record("OnStartupComplete");
        return com::E_NOTIMPL;
    }
    HRESULT OnBeginShutdown(com::SafeArray*) override
    {
        record("OnBeginShutdown");
        return com::E_NOTIMPL;
    }

    HRESULT IsIdle() override
    {
        if (pendingChecks_ == 0)
            return com::S_OK;
        --pendingChecks_;
        record("IsIdle busy");
        return com::S_FALSE;
    }

private:
    void buildBar()
    {
        const outlook::CommandBarsPtr bars = explorer_ ? explorer_->commandBars() : nullptr;
        if (!bars) {
            record("no command bars");
            return;
        }
        outlook::CommandBarPtr bar = bars->find("Recorder");
        record(bar ? "bar found" : "bar added");
        if (!bar)
            bar = bars->add("Recorder", outlook::msoBarTop, false);
        if (!bar)
            return;
        const auto controls = bar->controls();
        const auto control = controls->add(outlook::msoControlButton, true);
        button_ = control ? control->asButton() : nullptr;
        if (button_) {
            (void)button_->setCaption("Record");
            (void)button_->setTag("record");
            (void)button_->setStyle(outlook::msoButtonCaption);
        }
        if (const auto popup = controls->add(outlook::msoControlPopup, true))
            if (const auto item = popup->asPopup()->controls()->add(outlook::msoControlButton, true))
                (void)item->setCaption("Inside");
        (void)bar->setVisible(true);
    }

    void subscribeTo(com::IUnknown* source, const com::Guid& events, com::EventHandler handler)
    {
        com::EventSubscription subscription;
        const com::ComPtr<com::IDispatch> sink = com::makeEventSink(events, std::move(handler));
        if (com::FAILED(subscription.subscribe(source, events, sink.get())))
            record("subscription failed");
        subscriptions_.push_back(std::move(subscription));
    }

    void subscribe()
    {
        if (button_)
            subscribeTo(button_->eventSource(), outlook::commandBarButtonEventsIid, [](com::DISPID, auto) {
                record("Click");
                return com::S_OK;
            });
        subscribeTo(application_.get(), outlook::applicationEventsIid,
            [this](com::DISPID member, auto arguments) { return onApplicationEvent(member, arguments); });
        if (explorer_)
            subscribeTo(explorer_->eventSource(), outlook::explorerEventsIid, [this](com::DISPID, auto) {
                const auto folder = explorer_->currentFolder();
                record("FolderSwitch " + (folder ? folder->name() : std::string("?")));
                return com::S_OK;
            });
        if (const auto inspectors = model_->inspectors())
            subscribeTo(inspectors->eventSource(), outlook::inspectorsEventsIid, [](com::DISPID, auto arguments) {
                const auto* index = arguments.empty() ? nullptr : std::get_if<std::int32_t>(&arguments[0]);
                record("NewInspector " + std::to_string(index ? *index : -1));
                return com::S_OK;
            });
    }

    HRESULT onApplicationEvent(com::DISPID member, std::span<const com::Variant> arguments)
    {
        if (member == outlook::dispidNewMail) {
            record("NewMail");
            pendingChecks_ = busyChecks_;
        } else if (member == outlook::dispidItemSend) {
            const outlook::ItemPtr item = outlook::itemOf(com::unknownArgument(arguments, 0));
            const auto mail = item ? item->asMailItem() : nullptr;
            record("ItemSend " + (mail ? mail->subject().value_or("") : std::string("?")));
        }
        return com::S_OK;
    }

    com::ComPtr<outlook::IOutlookApplication> application_;
    outlook::ApplicationPtr model_;
    outlook::ExplorerPtr explorer_;
    std::shared_ptr<outlook::CommandBarButton> button_;
    std::vector<com::EventSubscription> subscriptions_;
    int busyChecks_ = 0;
    int pendingChecks_ = 0;
};

} // namespace

extern "C" KVN_COM_EXPORT HRESULT DllGetClassObject(const com::Guid* clsid, const com::Guid* iid, void** object)
{
    if (!clsid || !iid)
        return com::E_POINTER;
    return com::getClassObject<Recorder>(recorderClsid, *clsid, *iid, object);
}

extern "C" KVN_COM_EXPORT HRESULT DllCanUnloadNow() { return com::canUnloadNow(); }

extern "C" KVN_COM_EXPORT HRESULT DllRegisterServer()
{
    const std::string path = com::modulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
    if (path.empty())
        return com::E_FAIL;
    return com::registerAddin(registry::processRegistry(), registration(), path);
}

extern "C" KVN_COM_EXPORT HRESULT DllUnregisterServer()
{
    return com::unregisterAddin(registry::processRegistry(), registration());
}
