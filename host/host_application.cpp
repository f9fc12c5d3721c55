#include "host/host_application.h"

#include "platform/outlook/command_bar_store.h"

namespace kvn::host {
namespace {

// The profile's object model, with the host's explorer and inspectors in
// place of the stores' own.
class HostModel final : public outlook::Application {
public:
    HostModel(outlook::ApplicationPtr stores, std::shared_ptr<HostExplorer> explorer,
        std::shared_ptr<HostInspectors> inspectors, std::shared_ptr<outlook::DisplayHandler> display)
        : stores_(std::move(stores)),
          explorer_(std::move(explorer)),
          inspectors_(std::move(inspectors)),
          display_(std::move(display))
    {
    }

    outlook::NamespacePtr getNamespace(std::string_view type) override { return stores_->getNamespace(type); }
    // A new e-mail shows in the host's window when it has one.
    outlook::ItemPtr createItem(int type) override
    {
        if (type != outlook::olMailItem)
            return stores_->createItem(type);
        return outlook::makeNewMailItem(
            [display = display_](const outlook::MailItemPtr& item) { return *display && (*display)(item); });
    }
    std::shared_ptr<outlook::SafeMailItem> createSafeMailItem() override { return stores_->createSafeMailItem(); }
    std::shared_ptr<outlook::SafeContactItem> createSafeContactItem() override
    {
        return stores_->createSafeContactItem();
    }
    std::shared_ptr<outlook::MapiUtils> createMapiUtils() override { return stores_->createMapiUtils(); }
    std::shared_ptr<outlook::CdoSession> createCdoSession() override { return stores_->createCdoSession(); }
    outlook::ExplorerPtr activeExplorer() override { return explorer_; }
    outlook::InspectorsPtr inspectors() override { return inspectors_; }

private:
    outlook::ApplicationPtr stores_;
    std::shared_ptr<HostExplorer> explorer_;
    std::shared_ptr<HostInspectors> inspectors_;
    std::shared_ptr<outlook::DisplayHandler> display_;
};

} // namespace

HostApplication::HostApplication(outlook::ApplicationPtr stores, std::shared_ptr<HostExplorer> explorer)
    : explorer_(std::move(explorer)),
      inspectors_(std::make_shared<HostInspectors>()),
      display_(std::make_shared<outlook::DisplayHandler>()),
      model_(std::make_shared<HostModel>(std::move(stores), explorer_, inspectors_, display_)),
      events_(com::makeObject<com::EventPoints>(std::vector{outlook::applicationEventsIid}))
{
}

void HostApplication::setDisplayHandler(outlook::DisplayHandler handler) { *display_ = std::move(handler); }

int HostApplication::raiseNewMail()
{
    const com::ComPtr<com::EventPoints> events = events_;
    return events->fire(outlook::applicationEventsIid, outlook::dispidNewMail);
}

bool HostApplication::raiseItemSend(const outlook::ItemPtr& item)
{
    const com::ComPtr<outlook::IOutlookItem> object = outlook::makeItemObject(item);
    bool cancel = false;
    const com::Variant arguments[] = {static_cast<com::IUnknown*>(object.get()), &cancel};
    const com::ComPtr<com::EventPoints> events = events_;
    events->fire(outlook::applicationEventsIid, outlook::dispidItemSend, arguments);
    return cancel;
}

com::ComPtr<HostApplication> openHostApplication(
    outlook::ApplicationPtr model, registry::Registry& registry, const std::string& profile)
{
    const outlook::NamespacePtr mapi = model->getNamespace("MAPI");
    auto explorer
        = std::make_shared<HostExplorer>(model->activeExplorer(), outlook::openCommandBarStore(registry, profile),
            mapi ? mapi->getDefaultFolder(outlook::olFolderInbox) : nullptr);
    return com::makeObject<HostApplication>(std::move(model), std::move(explorer));
}

} // namespace kvn::host
