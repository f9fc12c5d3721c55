// The Application the host hands to every add-in: the object model of the
// profile's stores, with the host's one explorer and its inspectors, as a
// COM object that raises NewMail and ItemSend. Main thread only.
#pragma once

#include "host/host_explorer.h"
#include "platform/com/connection_point.h"
#include "platform/outlook/new_mail_item.h"
#include "platform/outlook/outlook_com.h"
#include "platform/registry/registry.h"

#include <memory>
#include <string>

namespace kvn::host {

class HostApplication final : public com::ComObject<outlook::IOutlookApplication, com::IConnectionPointContainer> {
public:
    // `stores` is the profile's object model (its ActiveExplorer is not
    // used); the explorer and inspectors are the host's.
    HostApplication(outlook::ApplicationPtr stores, std::shared_ptr<HostExplorer> explorer);

    com::HRESULT Invoke(com::DISPID, std::span<const com::Variant>) override { return com::E_NOTIMPL; }
    outlook::ApplicationPtr objectModel() override { return model_; }
    com::HRESULT FindConnectionPoint(const com::Guid& eventInterface, com::IConnectionPoint** point) override
    {
        return events_->FindConnectionPoint(eventInterface, point);
    }

    const std::shared_ptr<HostExplorer>& explorer() const { return explorer_; }
    const std::shared_ptr<HostInspectors>& inspectors() const { return inspectors_; }

    // Raise the events on every sink; the number of sinks called.
    int raiseNewMail();
    // ItemSend(item, cancel); true when a handler cancelled the sending.
    bool raiseItemSend(const outlook::ItemPtr& item);

    // What Display() of a new e-mail from createItem does: the host's window
    // installs it; without one (headless) Display answers false. An empty
    // handler takes it away again.
    void setDisplayHandler(outlook::DisplayHandler handler);

private:
    std::shared_ptr<HostExplorer> explorer_;
    std::shared_ptr<HostInspectors> inspectors_;
    std::shared_ptr<outlook::DisplayHandler> display_;
    outlook::ApplicationPtr model_;
    com::ComPtr<com::EventPoints> events_;
};

// The application as the host opens it over `model`: its explorer draws the
// profile's command bars and starts in the Inbox.
com::ComPtr<HostApplication> openHostApplication(
    outlook::ApplicationPtr model, registry::Registry& registry, const std::string& profile);

} // namespace kvn::host
