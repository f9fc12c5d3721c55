// A lists file written by an earlier version (tests/data/lists/old_lists.lst)
// still loads, and the profile's lock keeps a second writer out.
#include "lists/profile_data.h"
#include "platform/core/profile_lock.h"
#include "tests/lists/profile_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kvn {
namespace {

using testing::ProfileFixture;

class StoredFilesTest : public ::testing::Test, public ProfileFixture { };

TEST_F(StoredFilesTest, OldListsFileLoadsEveryRecordInItsList)
{
    std::filesystem::create_directory(dataFolder());
    std::filesystem::copy_file(std::string(KVN_TEST_DATA) + "/old_lists.lst", filePath(DataFile::Lists));
    ProfileData data = makeData();
    ASSERT_TRUE(data.loadAll().ok());
    const FilterLists& lists = data.lists();
    ASSERT_EQ(lists.sequence(ListKind::Address, true).size(), 2u);
    EXPECT_EQ(lists.sequence(ListKind::Address, true)[0].value, "Amy");
    EXPECT_EQ(lists.sequence(ListKind::Address, true)[0].receivedCount, 3);
    EXPECT_EQ(lists.sequence(ListKind::Address, true)[0].lastReceived, "2024.03.01");
    EXPECT_EQ(lists.sequence(ListKind::Domain, true)[0].value, "example.org");
    EXPECT_EQ(lists.sequence(ListKind::IpRange, false)[0].extra, "10.0.0.255");
    EXPECT_EQ(lists.sequence(ListKind::Word, false)[0].value, "viagra");
    EXPECT_EQ(lists.firstCharIndex(true), "ab");
    EXPECT_EQ(lists.firstCharIndex(false), "s");
    EXPECT_EQ(lists.findIpRange(0x0A000005, true).result, LookupResult::InOtherList);

    // Saved again, the records come in the writer's order (the black IP range
    // after the black word) and the lists read back the same.
    ASSERT_TRUE(data.saveAll().ok());
    EXPECT_EQ(std::filesystem::file_size(filePath(DataFile::Lists)),
        std::filesystem::file_size(std::string(KVN_TEST_DATA) + "/old_lists.lst"));
    ProfileData again = makeData();
    ASSERT_TRUE(again.loadAll().ok());
    for (const ListKind kind : allListKinds)
        for (const bool white : {true, false})
            EXPECT_EQ(again.lists().sequence(kind, white), lists.sequence(kind, white));
}

TEST_F(StoredFilesTest, SecondWriterIsRefusedNamingTheHolder)
{
    std::filesystem::create_directory(dataFolder());
    auto first = ProfileLock::acquire(dataFolder());
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ProfileLock>>(first));
    auto second = ProfileLock::acquire(dataFolder());
    ASSERT_TRUE(std::holds_alternative<std::string>(second));
    EXPECT_NE(std::get<std::string>(second).find("process " + std::to_string(::getpid())), std::string::npos)
        << std::get<std::string>(second);
    first = std::string("released");
    EXPECT_TRUE(std::holds_alternative<std::unique_ptr<ProfileLock>>(ProfileLock::acquire(dataFolder())));
}

} // namespace
} // namespace kvn
