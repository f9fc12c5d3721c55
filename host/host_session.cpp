#include "host/host_session.h"

#include "host/addin_connections.h"
#include "host/host_application.h"
#include "host/host_view.h"
#include "host/sent_items.h"
#include "host/store_check.h"
#include "host/wakeups.h"
#include "platform/core/xdg_paths.h"
#include "platform/outlook/mail_watcher.h"
#include "platform/outlook/maildir_store.h"
#include "platform/outlook/profile_stores.h"
#include "platform/registry/registry.h"

#include <memory>

namespace kvn::host {
namespace {

constexpr char newMailByte = 'N';
constexpr char sentByte = 'S';

std::string sentFolderPath(const outlook::StoreConfig& store) { return store.root + "/." + store.sentFolder; }

class Session {
public:
    Session(const HostOptions& options, Ui& ui, HostView* view)
        : options_(options),
          ui_(ui),
          view_(options.headless || options.once ? nullptr : view),
          registry_(registry::processRegistry()),
          connections_(registry_, ui)
    {
    }

    int run()
    {
        open();
        const bool storesOpen = checkStores();
        // Watching starts before the add-ins connect: mail that arrives while
        // they connect is posted now and raised as NewMail once they are.
        startWatching();
        const bool allConnected = connections_.connectAll(application_.get(), options_.profile);
        // Another program has the profile: a second host would only watch.
        if (connections_.profileUnavailable())
            return exitFailure;
        if (options_.once)
            runOnce();
        else if (view_)
            view_->run({*application_.get(), registry_, stores_, options_.profile, ui_, sent_.get()},
                wakeups_.readDescriptor(), [this] { return handle(wakeups_.wait(0)); });
        else
            runUntilSignalled();
        stopWatching();
        connections_.disconnectAll();
        return (allConnected && storesOpen) || !options_.once ? exitSuccess : exitFailure;
    }

private:
    void open()
    {
        stores_ = outlook::loadProfileStores(registry_, options_.profile, homeFolder());
        auto model = outlook::openMaildirApplication(stores_, options_.profile, registry_);
        const outlook::NamespacePtr mapi = model->getNamespace("MAPI");
        sent_ = std::make_unique<SentItems>(mapi ? mapi->getDefaultFolder(outlook::olFolderSentMail) : nullptr);
        application_ = openHostApplication(std::move(model), registry_, options_.profile);
        wakeups_.catchTerminationSignals();
    }

    // Says which stores cannot be opened; false when any cannot.
    bool checkStores()
    {
        if (stores_.empty()) {
            ui_.showMessage({"The profile \"" + options_.profile
                    + "\" has no mail store: add one with \"kvnctl profile add-store NAME FOLDER\", or make ~/Maildir "
                      "a "
                      "Maildir.",
                "KVN Host", MessageIcon::Error});
            return false;
        }
        bool allOpen = true;
        for (const outlook::StoreConfig& store : stores_)
            if (const std::string problem = storeProblem(store); !problem.empty()) {
                allOpen = false;
                ui_.showMessage({"The mail store \"" + store.displayName + "\" cannot be opened: " + problem,
                    "KVN Host", MessageIcon::Error});
            }
        return allOpen;
    }

    void startWatching()
    {
        std::vector<std::string> inboxes;
        for (const auto& store : stores_)
            inboxes.push_back(store.root);
        newMail_ = std::make_unique<outlook::MailWatcher>(inboxes, [this] { wakeups_.post(newMailByte); });
        (void)newMail_->start();
        if (!stores_.empty()) {
            sentWatcher_ = std::make_unique<outlook::MailWatcher>(
                std::vector{sentFolderPath(stores_.front())}, [this] { wakeups_.post(sentByte); });
            (void)sentWatcher_->start();
        }
    }

    void stopWatching()
    {
        newMail_.reset();
        sentWatcher_.reset();
    }

    // Handles what was posted; false once a termination signal came.
    bool handle(const std::string& posted)
    {
        bool newMail = false;
        bool sent = false;
        for (const char what : posted) {
            if (what == Wakeups::terminateByte)
                return false;
            newMail = newMail || what == newMailByte;
            sent = sent || what == sentByte;
        }
        if (sent)
            for (const outlook::ItemPtr& item : sent_->appeared())
                (void)application_->raiseItemSend(item);
        if (newMail)
            application_->raiseNewMail();
        return true;
    }

    void runUntilSignalled()
    {
        while (handle(wakeups_.wait(-1))) { }
    }

    // Lets events in while waiting; false when a termination signal came first.
    bool waitUntilIdle()
    {
        while (!connections_.allIdle())
            if (!handle(wakeups_.wait(options_.idlePollMs)))
                return false;
        return true;
    }

    // A termination signal ends the waiting early.
    void runOnce()
    {
        if (!waitUntilIdle())
            return;
        application_->raiseNewMail();
        (void)waitUntilIdle();
    }

    const HostOptions& options_;
    Ui& ui_;
    HostView* view_;
    registry::Registry& registry_;
    std::vector<outlook::StoreConfig> stores_;
    com::ComPtr<HostApplication> application_;
    std::unique_ptr<SentItems> sent_;
    Wakeups wakeups_;
    AddinConnections connections_;
    std::unique_ptr<outlook::MailWatcher> newMail_;
    std::unique_ptr<outlook::MailWatcher> sentWatcher_;
};

} // namespace

int runHost(const HostOptions& options, Ui& ui, HostView* view)
{
    Session session(options, ui, view);
    return session.run();
}

} // namespace kvn::host
