// Korvhub loaded in this process as the host loads it, over the profile that
// kvnctl, regsvr32 and a first korvane run prepared: a disconnection because
// the host closes keeps the permanent bar "KVN", one because the user removed
// the add-in deletes it.
#include "host/addin_catalog.h"
#include "host/host_application.h"
#include "host/loaded_addin.h"
#include "platform/outlook/command_bar_store.h"
#include "platform/outlook/maildir_store.h"
#include "tests/host/korvhub_fixture.h"

namespace kvn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class KorvhubRemoval : public KorvhubEndToEnd {
protected:
    KorvhubRemoval()
    {
        outlook::StoreConfig store;
        store.root = inbox();
        model = outlook::openMaildirApplication({store}, "Default", *registry);
        application = host::openHostApplication(model, *registry, "Default");
    }

    // Connects Korvhub, lets its start-up run finish and disconnects it so.
    void connectAndDisconnect(com::ext_DisconnectMode mode)
    {
        const std::vector<host::AddinEntry> entries = host::registeredAddins(*registry);
        ASSERT_EQ(entries.size(), 1u);
        host::LoadedAddin::Loaded loaded = host::LoadedAddin::load(*registry, entries.front());
        ASSERT_TRUE(loaded.addin) << loaded.error;
        ASSERT_EQ(loaded.addin->connect(application.get(), com::ext_cm_Startup), com::S_OK);
        ASSERT_TRUE(waitUntil([&] { return loaded.addin->isIdle(); }));
        EXPECT_EQ(loaded.addin->disconnect(mode), com::S_OK);
    }

    bool barStored() { return outlook::openCommandBarStore(*registry, "Default")->find("KVN") != nullptr; }

    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    outlook::ApplicationPtr model;
    com::ComPtr<host::HostApplication> application;
};

TEST_F(KorvhubRemoval, ClosingTheHostKeepsTheBarAndRemovingTheAddinDeletesIt)
{
    prepare();
    ASSERT_TRUE(barStored());

    connectAndDisconnect(com::ext_dm_HostShutdown);
    EXPECT_TRUE(barStored());
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), HasSubstr("\"KVN\"=hex"));

    connectAndDisconnect(com::ext_dm_UserClosed);
    EXPECT_FALSE(barStored());
    EXPECT_THAT(hive("HKEY_CURRENT_USER"), Not(HasSubstr("\"KVN\"=hex")));
}

} // namespace
} // namespace kvn::testing
