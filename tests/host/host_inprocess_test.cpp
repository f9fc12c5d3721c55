// The host's application, explorer and add-in loading in this process, with
// the recording add-in module loaded through the registry as the host loads
// it, so that a test can click, switch folders and send.
#include "host/addin_catalog.h"
#include "host/host_application.h"
#include "host/loaded_addin.h"
#include "platform/com/addin_registration.h"
#include "platform/outlook/command_bar_store.h"
#include "platform/outlook/maildir_store.h"
#include "tests/host/child_process.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace kvn::host {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr com::Guid recorderClsid = com::guidOf("{3F0C9A52-1B7E-4D8A-A3C4-9E2F61B0D7A8}");

class HostInProcess : public ::testing::Test {
protected:
    HostInProcess()
    {
        for (const char* folder :
            {"mail/cur", "mail/new", "mail/tmp", "mail/.Lists/cur", "mail/.Lists/new", "mail/.Lists/tmp"})
            std::filesystem::create_directories(temp / folder);
        com::AddinRegistration recorder;
        recorder.progId = "KvnTest.Recorder.1";
        recorder.versionIndependentProgId = "KvnTest.Recorder";
        recorder.className = "Recorder Class";
        recorder.clsid = recorderClsid;
        recorder.friendlyName = "Test recorder";
        EXPECT_EQ(com::registerAddin(*registry, recorder, KVN_RECORDING_ADDIN), com::S_OK);

        outlook::StoreConfig store;
        store.root = temp / "mail";
        model = outlook::openMaildirApplication({store}, "Test", *registry);
        mapi = model->getNamespace("MAPI");
        explorer = std::make_shared<HostExplorer>(model->activeExplorer(),
            outlook::openCommandBarStore(*registry, "Test"), mapi->getDefaultFolder(outlook::olFolderInbox));
        application = com::makeObject<HostApplication>(model, explorer);
    }

    std::unique_ptr<LoadedAddin> connectRecorder()
    {
        const std::vector<AddinEntry> entries = registeredAddins(*registry);
        EXPECT_EQ(entries.size(), 1u);
        LoadedAddin::Loaded loaded = LoadedAddin::load(*registry, entries.at(0));
        EXPECT_TRUE(loaded.addin) << loaded.error;
        if (loaded.addin) {
            EXPECT_EQ(loaded.addin->connect(application.get(), com::ext_cm_Startup), com::S_OK);
        }
        return std::move(loaded.addin);
    }

    std::vector<std::string> log() const { return testing::linesOf(temp / "addin.log"); }

    testing::TempFolder temp;
    testing::EnvironmentGuard addinLog{"KVN_TEST_ADDIN_LOG", temp / "addin.log"};
    testing::EnvironmentGuard refuse{"KVN_TEST_ADDIN_REFUSE", std::nullopt};
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    outlook::ApplicationPtr model;
    outlook::NamespacePtr mapi;
    std::shared_ptr<HostExplorer> explorer;
    com::ComPtr<HostApplication> application;
};

TEST_F(HostInProcess, EventsOfButtonsFoldersSendingAndInspectorsReachTheAddin)
{
    const auto addin = connectRecorder();
    ASSERT_TRUE(addin && addin->connected());

    const auto bar = explorer->commandBars()->find("Recorder");
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->visible());
    const auto button = bar->controls()->item(1)->asButton();
    ASSERT_TRUE(button);
    EXPECT_EQ(button->caption(), "Record");
    EXPECT_EQ(button->execute(), 1);

    const auto lists = mapi->folders()->getFirst()->folders()->item("Lists");
    ASSERT_TRUE(lists);
    EXPECT_TRUE(explorer->setCurrentFolder(lists));
    EXPECT_TRUE(explorer->setCurrentFolder(lists)) << "the same folder again raises nothing";

    const auto outgoing = model->createItem(outlook::olMailItem);
    ASSERT_TRUE(outgoing->asMailItem()->setSubject("Hello there"));
    EXPECT_FALSE(application->raiseItemSend(outgoing));
    application->inspectors()->open(outgoing);
    EXPECT_EQ(application->raiseNewMail(), 1);

    EXPECT_EQ(addin->disconnect(com::ext_dm_HostShutdown), com::S_OK);
    EXPECT_EQ(application->raiseNewMail(), 0) << "a disconnected add-in has unadvised";
    EXPECT_EQ(button->execute(), 0);
    EXPECT_THAT(log(),
        ElementsAre("OnConnection 1", "bar added", "Click", "FolderSwitch Lists", "ItemSend Hello there",
            "NewInspector 1", "NewMail", "OnDisconnection 0"));
}

TEST_F(HostInProcess, ExplorerKeepsPanesAndSelectionWithoutAWindow)
{
    EXPECT_TRUE(explorer->isPaneVisible(outlook::olPreview));
    EXPECT_TRUE(explorer->showPane(outlook::olPreview, false));
    EXPECT_FALSE(explorer->isPaneVisible(outlook::olPreview));
    EXPECT_FALSE(explorer->showPane(99, false));
    EXPECT_EQ(explorer->currentFolder()->name(), "Inbox");
    EXPECT_TRUE(explorer->panes()->item(outlook::outlookBarPaneName));

    explorer->select({model->createItem(outlook::olMailItem)});
    EXPECT_EQ(explorer->selection()->count(), 1u);
    EXPECT_TRUE(explorer->selection()->item(1));
    EXPECT_FALSE(explorer->selection()->item(2));
    EXPECT_FALSE(explorer->setCurrentFolder(nullptr));
    EXPECT_TRUE(explorer->setCurrentFolder(mapi->getDefaultFolder(outlook::olFolderDeletedItems)));
    EXPECT_EQ(explorer->selection()->count(), 0u) << "another folder shows nothing selected";
}

TEST_F(HostInProcess, AnAddinThatRefusesStaysUnconnected)
{
    testing::EnvironmentGuard refusing{"KVN_TEST_ADDIN_REFUSE", "1"};
    const std::vector<AddinEntry> entries = registeredAddins(*registry);
    LoadedAddin::Loaded loaded = LoadedAddin::load(*registry, entries.at(0));
    ASSERT_TRUE(loaded.addin);
    EXPECT_EQ(loaded.addin->connect(application.get(), com::ext_cm_Startup), com::S_FALSE);
    EXPECT_FALSE(loaded.addin->connected());
    EXPECT_EQ(loaded.addin->disconnect(com::ext_dm_HostShutdown), com::S_OK);
    EXPECT_THAT(log(), ElementsAre("OnConnection 1", "refused"));
}

TEST_F(HostInProcess, CatalogReadsLoadBehaviorAndFindsTheModule)
{
    std::vector<AddinEntry> entries = registeredAddins(*registry);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].progId, "KvnTest.Recorder");
    EXPECT_EQ(entries[0].loadBehavior, 3u);
    EXPECT_TRUE(loadsAtStart(entries[0]));
    EXPECT_FALSE(loadsAtStart({"x", "", 0}));
    EXPECT_FALSE(loadsAtStart({"x", "", 9}));
    EXPECT_TRUE(loadsAtStart({"x", "", 16}));
    EXPECT_TRUE(loadsOnlyOnce({"x", "", 16}));

    std::string why;
    const auto location = locateClass(*registry, "KvnTest.Recorder", why);
    ASSERT_TRUE(location) << why;
    EXPECT_EQ(location->clsid, recorderClsid);
    EXPECT_EQ(location->modulePath, KVN_RECORDING_ADDIN);
    EXPECT_FALSE(locateClass(*registry, "Nobody.Addin", why));
    EXPECT_THAT(why, HasSubstr("no class is registered for Nobody.Addin"));

    // Values of the wrong type or form name no class and no module.
    ASSERT_TRUE(
        registry->setValue(registry::Hive::ClassesRoot, "Bad.Guid\\CLSID", "", registry::stringValue("{nope}")));
    EXPECT_FALSE(locateClass(*registry, "Bad.Guid", why));
    ASSERT_TRUE(registry->setValue(registry::Hive::ClassesRoot, "Bad.Type\\CLSID", "", registry::dwordValue(7)));
    EXPECT_FALSE(locateClass(*registry, "Bad.Type", why));
    const std::string noModule = "{0BADC0DE-0000-0000-0000-000000000000}";
    ASSERT_TRUE(
        registry->setValue(registry::Hive::ClassesRoot, "No.Module\\CLSID", "", registry::stringValue(noModule)));
    EXPECT_FALSE(locateClass(*registry, "No.Module", why));
    EXPECT_THAT(why, HasSubstr("names no module"));
    ASSERT_TRUE(registry->setValue(registry::Hive::CurrentUser, std::string(com::outlookAddinsKey) + "\\Odd.Addin",
        "LoadBehavior", registry::stringValue("3")));
    EXPECT_EQ(registeredAddins(*registry).at(1).loadBehavior, 0u) << "a LoadBehavior that is no DWORD loads nothing";

    ASSERT_TRUE(clearLoadOnce(*registry, entries[0]));
    EXPECT_EQ(registeredAddins(*registry)[0].loadBehavior, 0u);
}

} // namespace
} // namespace kvn::host
