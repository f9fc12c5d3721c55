// A profile's stores in a real registry folder, and the ~/Maildir default.
#include "platform/outlook/profile_stores.h"

#include "tests/outlook/maildir_fixture.h"

#include <gtest/gtest.h>

namespace kvn::outlook {
namespace {

using namespace kvn::testing;

TEST(ProfileStores, StoresAreKeptInOrderWithAllTheirValues)
{
    TempFolder temp;
    auto reg = registry::openFileRegistry(temp / "registry");
    StoreConfig mailbox = storeAt("/home/ann/Maildir", "Mailbox");
    mailbox.contactsFolder = "/home/ann/.contacts";
    StoreConfig archive = storeAt("/srv/archive", "Archive Folders");
    archive.trashFolder = "Deleted Messages";
    archive.sentFolder = "Sent Messages";
    ASSERT_TRUE(addProfileStore(*reg, "Work", mailbox));
    ASSERT_TRUE(addProfileStore(*reg, "Work", archive));
    auto reopened = registry::openFileRegistry(temp / "registry");
    auto stores = loadProfileStores(*reopened, "Work", temp / "home");
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(stores[0].displayName, "Mailbox");
    EXPECT_EQ(stores[0].root, "/home/ann/Maildir");
    EXPECT_EQ(stores[0].contactsFolder, "/home/ann/.contacts");
    EXPECT_EQ(stores[0].trashFolder, "Trash");
    EXPECT_EQ(stores[1].displayName, "Archive Folders");
    EXPECT_EQ(stores[1].trashFolder, "Deleted Messages");
    EXPECT_EQ(stores[1].sentFolder, "Sent Messages");
    auto path = reopened->queryValue(
        registry::Hive::CurrentUser, "Software\\Brindlecraft\\KVN Host\\Profiles\\Work\\Stores\\1", "Path", 1024);
    ASSERT_TRUE(path);
    EXPECT_EQ(path->type, static_cast<std::uint32_t>(registry::ValueType::String));
    EXPECT_TRUE(loadProfileStores(*reopened, "Home", temp / "home").empty());
}

TEST(ProfileStores, AProfileWithoutStoresUsesTheHomeMaildir)
{
    TempFolder temp;
    auto reg = registry::openFileRegistry(temp / "registry");
    EXPECT_TRUE(loadProfileStores(*reg, "Default", temp.path()).empty());
    makeMaildir(temp / "Maildir");
    auto stores = loadProfileStores(*reg, "Default", temp.path());
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0].displayName, "Personal Folders");
    EXPECT_EQ(stores[0].root, temp / "Maildir");
    EXPECT_EQ(stores[0].contactsFolder, "");
}

TEST(ProfileStores, AStoreKeyWithoutPathIsPassedOver)
{
    TempFolder temp;
    auto reg = registry::openFileRegistry(temp / "registry");
    std::string key = profileStoresKey("Default");
    ASSERT_TRUE(reg->setValue(registry::Hive::CurrentUser, key + "\\1", "DisplayName", registry::stringValue("Lost")));
    ASSERT_TRUE(addProfileStore(*reg, "Default", storeAt(temp / "m", "Kept")));
    auto stores = loadProfileStores(*reg, "Default", temp.path());
    ASSERT_EQ(stores.size(), 1u);
    EXPECT_EQ(stores[0].displayName, "Kept");
    EXPECT_TRUE(reg->keyExists(registry::Hive::CurrentUser, key + "\\2")); // the new store took the next number
}

} // namespace
} // namespace kvn::outlook
