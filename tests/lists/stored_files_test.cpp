// A lists file written by an earlier version (tests/data/lists/old_lists.lst)
// still loads, and the profile's lock keeps a second writer out.
#include "lists/list_records.h"
#include "lists/profile_data.h"
#include "platform/core/profile_lock.h"
#include "tests/lists/profile_fixture.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>
#include <unistd.h>

namespace kvn {
namespace {

using testing::ProfileFixture;
using testing::readWholeFile;

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

    // Saved again, the same records come in the writer's order: white before
    // black, by kind, Address and Domain by extra (the black IP range moves
    // after the black word).
    ASSERT_TRUE(data.saveAll().ok());
    std::vector<ListEntry> expected
        = readListRecords(readWholeFile(std::string(KVN_TEST_DATA) + "/old_lists.lst")).records;
    const auto writerOrder = [](const ListEntry& entry) {
        const bool sorted
            = entry.kind == listKindCode(ListKind::Address) || entry.kind == listKindCode(ListKind::Domain);
        return std::make_tuple(!entry.isWhite, entry.kind, sorted ? entry.extra : std::string());
    };
    std::stable_sort(expected.begin(), expected.end(),
        [&](const ListEntry& a, const ListEntry& b) { return writerOrder(a) < writerOrder(b); });
    const RecordsRead<ListEntry> written = readListRecords(readWholeFile(filePath(DataFile::Lists)));
    EXPECT_TRUE(written.end.complete);
    EXPECT_EQ(written.records, expected);
    ASSERT_GE(expected.size(), 2u);
    EXPECT_EQ(expected.back().kind, listKindCode(ListKind::IpRange)) << "the test file no longer tests reordering";
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
