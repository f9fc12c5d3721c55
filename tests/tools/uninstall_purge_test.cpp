// What --purge makes of hostile installation folders: names that are not
// what they seem (a folder called lists.lst, a FIFO, a link), a data folder
// that cannot be listed, and a registry without the product key.
#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"
#include "tools/kvnctl/uninstall_purge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace kvn::kvnctl {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace fs = std::filesystem;

class PurgeTest : public ::testing::Test {
protected:
    std::string install() const { return temp / "install"; }

    testing::TempFolder temp;
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
};

TEST_F(PurgeTest, DataFoldersAreTheSubFoldersHoldingALockOrADataFile)
{
    for (const char* folder : {"install/Default", "install/Other", "install/lib", "install/Empty"})
        fs::create_directories(temp / folder);
    testing::writeWholeFile(install() + "/Default/lists.lst", "");
    testing::writeWholeFile(install() + "/Other/kvn.lock", "");
    testing::writeWholeFile(install() + "/lib/libKorvhub.so", "module");
    testing::writeWholeFile(install() + "/Statistics.kvn", "a file, not a folder");
    fs::create_directory_symlink(install() + "/Default", install() + "/Link");
    std::vector<std::string> found = profileDataFolders(install());
    std::sort(found.begin(), found.end());
    EXPECT_THAT(found, ElementsAre(install() + "/Default", install() + "/Other"));
    EXPECT_THAT(profileDataFolders(temp / "missing"), IsEmpty());
    EXPECT_THAT(profileDataFolders(install() + "/Statistics.kvn"), IsEmpty());
}

TEST_F(PurgeTest, AFolderNamedLikeADataFileIsReportedAndAFifoIsDeletedUnread)
{
    const std::string data = install() + "/Default";
    fs::create_directories(data + "/lists.lst");
    ASSERT_EQ(::mkfifo((data + "/own.kvn").c_str(), 0600), 0);
    testing::writeWholeFile(data + "/qEmails.lst.x", "not a kept copy");
    testing::writeWholeFile(data + "/qEmails.lst.damaged.x", "nor this");
    testing::writeWholeFile(data + "/qEmails.lst.damaged", "a kept copy");

    const PurgeOutcome outcome = purgeInstallation(*registry, install(), {data});
    std::vector<std::string> deleted = outcome.deleted;
    std::sort(deleted.begin(), deleted.end());
    EXPECT_THAT(deleted, ElementsAre(data + "/own.kvn", data + "/qEmails.lst.damaged"));
    EXPECT_THAT(outcome.failed, ElementsAre(data + "/lists.lst: a folder where a file was expected"));
    EXPECT_THAT(outcome.kept, ElementsAre(data, install()));
    EXPECT_TRUE(fs::exists(data + "/qEmails.lst.x"));
    EXPECT_TRUE(fs::exists(data + "/qEmails.lst.damaged.x"));
}

TEST_F(PurgeTest, ADataFolderThatCannotBeListedIsNamedAsFailed)
{
    const std::string data = install() + "/Default";
    fs::create_directories(data);
    testing::writeWholeFile(data + "/lists.lst", "lists");
    testing::handOver(temp.path());
    const testing::UnprivilegedRun run = testing::runUnprivileged([&] {
        fs::permissions(data, fs::perms::none);
        const PurgeOutcome outcome = purgeInstallation(*registry, install(), {data});
        fs::permissions(data, fs::perms::owner_all);
        std::string said;
        for (const std::string& line : outcome.failed)
            said += line + "\n";
        return said;
    });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_THAT(run.output, HasSubstr(data + ": "));
    EXPECT_EQ(testing::readWholeFile(data + "/lists.lst"), "lists");
}

TEST_F(PurgeTest, TheProductKeyGoesAndTheHostsKeysStay)
{
    ASSERT_TRUE(registry->setValue(
        registry::Hive::LocalMachine, "Software\\Brindlecraft\\KVN", "Install_Dir", registry::stringValue(install())));
    ASSERT_TRUE(registry->setValue(registry::Hive::CurrentUser, "Software\\Brindlecraft\\KVN Host\\Profiles\\Default",
        "Sendmail", registry::stringValue("/usr/sbin/sendmail")));
    const PurgeOutcome outcome = purgeInstallation(*registry, install(), {});
    EXPECT_THAT(outcome.deleted, Contains("HKEY_LOCAL_MACHINE\\Software\\Brindlecraft\\KVN"));
    EXPECT_FALSE(registry->keyExists(registry::Hive::LocalMachine, "Software\\Brindlecraft\\KVN"));
    EXPECT_TRUE(
        registry->keyExists(registry::Hive::CurrentUser, "Software\\Brindlecraft\\KVN Host\\Profiles\\Default"));
    // Purging again finds nothing left to delete.
    EXPECT_THAT(purgeInstallation(*registry, install(), {}).deleted, IsEmpty());
}

} // namespace
} // namespace kvn::kvnctl
