// The clean-up add-in's object connected to the host's own application over a
// real Maildir and a real command-bar store, and disconnected with the real
// regsvr32 unregistering the real module from a system folder whose path
// holds spaces.
#include "host/host_application.h"
#include "platform/com/addin_registration.h"
#include "platform/outlook/command_bar_store.h"
#include "platform/outlook/maildir_store.h"
#include "sweep/korvsweep_registration.h"
#include "sweep/sweep_addin.h"
#include "tests/support/environment_guard.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace kvn {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class SweepAddinTest : public ::testing::Test {
protected:
    SweepAddinTest()
    {
        for (const char* folder : {"mail/cur", "mail/new", "mail/tmp", "system folder"})
            std::filesystem::create_directories(temp / folder);
        std::filesystem::copy_file(KVN_KORVSWEEP, module());
        outlook::StoreConfig store;
        store.root = temp / "mail";
        model = outlook::openMaildirApplication({store}, "Test", *registry);
        bars = outlook::openCommandBarStore(*registry, "Test");
    }

    std::string module() const { return temp / "system folder/libKorvsweep.so"; }
    std::string hive(const char* name) const
    {
        return testing::readWholeFile(temp / ("registry/" + std::string(name) + ".reg"));
    }

    com::ComPtr<host::HostApplication> applicationWithExplorer()
    {
        const outlook::NamespacePtr mapi = model->getNamespace("MAPI");
        return com::makeObject<host::HostApplication>(model,
            std::make_shared<host::HostExplorer>(
                model->activeExplorer(), bars, mapi->getDefaultFolder(outlook::olFolderInbox)));
    }

    // The bars the profile keeps, as the next start of the host finds them.
    std::vector<std::string> storedBars()
    {
        const outlook::CommandBarsPtr reopened = outlook::openCommandBarStore(*registry, "Test");
        std::vector<std::string> names;
        for (std::size_t i = 1; i <= reopened->count(); ++i)
            names.push_back(reopened->item(i)->name());
        return names;
    }

    testing::TempFolder temp;
    testing::EnvironmentGuard registryFolder{"KORVANE_REGISTRY", temp / "registry"};
    testing::EnvironmentGuard system{"KORVANE_SYSTEM_FOLDER", temp / "system folder"};
    testing::EnvironmentGuard program{"KORVANE_REGSVR32", KVN_REGSVR32};
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    outlook::ApplicationPtr model;
    outlook::CommandBarsPtr bars;
    com::ComPtr<SweepAddin> addin = com::makeObject<SweepAddin>();
};

TEST_F(SweepAddinTest, ConnectionDeletesTheKvnBarAndNoOther)
{
    ASSERT_TRUE(bars->add("Other", 1, false));
    ASSERT_TRUE(bars->add("KVN", 1, false));
    ASSERT_THAT(storedBars(), ElementsAre("Other", "KVN"));

    EXPECT_EQ(addin->OnConnection(applicationWithExplorer().get(), com::ext_cm_Startup, nullptr, nullptr), com::S_OK);
    EXPECT_EQ(bars->find("KVN"), nullptr);
    EXPECT_THAT(storedBars(), ElementsAre("Other"));
    // A second connection finds nothing to delete and is as content.
    EXPECT_EQ(addin->OnConnection(applicationWithExplorer().get(), com::ext_cm_Startup, nullptr, nullptr), com::S_OK);
    EXPECT_THAT(storedBars(), ElementsAre("Other"));
}

TEST_F(SweepAddinTest, WithoutExplorerOrApplicationNothingIsDeleted)
{
    ASSERT_TRUE(bars->add("KVN", 1, false));
    const auto noExplorer = com::makeObject<host::HostApplication>(model, nullptr);
    EXPECT_EQ(addin->OnConnection(noExplorer.get(), com::ext_cm_Startup, nullptr, nullptr), com::S_OK);
    EXPECT_EQ(addin->OnConnection(nullptr, com::ext_cm_Startup, nullptr, nullptr), com::S_OK);
    // An object that is no Application (an item) offers nothing to delete from.
    const auto notAnApplication = outlook::makeItemObject(nullptr);
    EXPECT_EQ(addin->OnConnection(notAnApplication.get(), com::ext_cm_Startup, nullptr, nullptr), com::S_OK);
    EXPECT_THAT(storedBars(), ElementsAre("KVN"));
}

TEST_F(SweepAddinTest, TheThreeEmptySlotsAreNotImplemented)
{
    EXPECT_EQ(addin->OnAddInsUpdate(nullptr), com::E_NOTIMPL);
    EXPECT_EQ(addin->OnStartupComplete(nullptr), com::E_NOTIMPL);
    EXPECT_EQ(addin->OnBeginShutdown(nullptr), com::E_NOTIMPL);
}

TEST_F(SweepAddinTest, TheModulePathIsOneArgumentEvenWithSpaces)
{
    const SelfUnregistration command = selfUnregistration();
    EXPECT_EQ(command.program, KVN_REGSVR32);
    EXPECT_THAT(command.arguments, ElementsAre("/u", "/s", module()));
}

TEST_F(SweepAddinTest, DisconnectionHasRegsvr32UnregisterTheModuleInTheSystemFolder)
{
    ASSERT_EQ(com::registerAddin(*registry, korvsweepRegistration(), module()), com::S_OK);
    ASSERT_THAT(hive("HKEY_CURRENT_USER"), HasSubstr("Korvsweep.Addin"));
    ASSERT_EQ(addin->OnConnection(applicationWithExplorer().get(), com::ext_cm_Startup, nullptr, nullptr), com::S_OK);

    EXPECT_EQ(addin->OnDisconnection(com::ext_dm_HostShutdown, nullptr), com::S_OK);
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), Not(HasSubstr("Korvsweep")));
    EXPECT_THAT(hive("HKEY_CLASSES_ROOT"), Not(HasSubstr("Korvsweep")));
    EXPECT_THAT(hive("HKEY_CLASSES_ROOT"), Not(HasSubstr("7C7F21EA")));
    EXPECT_TRUE(std::filesystem::exists(module())) << "the module file itself stays";
}

TEST_F(SweepAddinTest, ARegsvr32ThatCannotBeStartedLeavesTheAddinRegistered)
{
    ASSERT_EQ(com::registerAddin(*registry, korvsweepRegistration(), module()), com::S_OK);
    testing::EnvironmentGuard missing{"KORVANE_REGSVR32", temp / "no such folder/regsvr32"};
    EXPECT_EQ(addin->OnDisconnection(com::ext_dm_HostShutdown, nullptr), com::S_OK);
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), HasSubstr("Korvsweep.Addin"));
    EXPECT_THAT(hive("HKEY_CLASSES_ROOT"), HasSubstr("{7C7F21EA-767F-477F-8600-6E31EFAF9ADD}"));
}

} // namespace
} // namespace kvn
