// The add-in object the host creates from Korvhub's class factory. On
// connection it makes the engine (CMain) with the host's Application and a
// console Ui, checks the explorer and its command bars, builds the bar
// "KVN" (addin/kvn_bar.h), and subscribes to the Click of each of its
// buttons (each runs its command, addin/kvn_commands.h), the
// application's NewMail and ItemSend, the explorer's FolderSwitch and the
// inspectors' NewInspector, in that order. On disconnection it shuts the
// engine down (which saves its state) and drops every subscription.
//
// Every failed step of the connection shows "An error occured while starting
// Korvane" with its caption ("Error 001", "Error 0011", "Error 002",
// "Error 003", "Error 104"; "Error 105" to "Error 108" from the bar, which
// return -1) and the error icon, and returns S_FALSE; a failure after the engine was made leaves
// the engine running until disconnection.
//
// Threads: every method is called on the host's main thread; the event
// handlers run there too.
#pragma once

#include "addin/cmain.h"
#include "addin/kvn_bar.h"
#include "addin/kvn_commands.h"
#include "platform/com/addin_idle.h"
#include "platform/com/connection_point.h"
#include "platform/com/extensibility.h"
#include "platform/core/ui.h"
#include "platform/outlook/outlook_com.h"

#include <memory>
#include <vector>

namespace kvn {

// The text of every connection failure.
inline constexpr const char* startErrorText = "An error occured while starting Korvane";

// The name of the folder whose opening hides the preview pane (compared
// exactly, in any store).
inline constexpr const char* quarantineFolderName = "KVN Quarantined";

class Addin final : public com::ComObject<com::IDTExtensibility2, com::IAddinIdle> {
public:
    Addin();
    // With the Ui its messages and commands use (a host or a test that
    // answers them itself).
    explicit Addin(std::unique_ptr<Ui> ui);
    ~Addin() override;

    com::HRESULT Invoke(com::DISPID, std::span<const com::Variant>) override { return com::E_NOTIMPL; }

    com::HRESULT OnConnection(com::IDispatch* application, com::ext_ConnectMode connectMode,
        com::IDispatch* addInInstance, com::SafeArray* custom) override;
    com::HRESULT OnDisconnection(com::ext_DisconnectMode removeMode, com::SafeArray* custom) override;
    com::HRESULT OnAddInsUpdate(com::SafeArray*) override { return com::E_NOTIMPL; }
    com::HRESULT OnStartupComplete(com::SafeArray*) override { return com::E_NOTIMPL; }
    com::HRESULT OnBeginShutdown(com::SafeArray*) override { return com::E_NOTIMPL; }

    // S_OK when there is no engine or it is not busy (start-up run over, no
    // pass pending or running); S_FALSE otherwise.
    com::HRESULT IsIdle() override;

private:
    com::HRESULT fail(const char* caption, com::HRESULT result);
    void subscribe();
    void subscribeTo(com::IUnknown* source, const com::Guid& events, com::EventHandler handler);
    com::HRESULT onApplicationEvent(com::DISPID member, std::span<const com::Variant> arguments);
    void onItemSend(const outlook::ItemPtr& item);
    void onFolderSwitch();
    void release();

    std::unique_ptr<Ui> ui_;
    std::unique_ptr<AddinWindows> windows_;
    com::ComPtr<outlook::IOutlookApplication> application_;
    outlook::ApplicationPtr model_;
    std::unique_ptr<CMain> engine_;
    outlook::ExplorerPtr explorer_;
    outlook::InspectorsPtr inspectors_;
    KvnBar bar_;
    std::unique_ptr<KvnCommands> commands_;
    std::vector<com::EventSubscription> subscriptions_;
};

} // namespace kvn
