// loadAll and saveAll on real files in a temporary installation folder.
#include "lists/list_records.h"
#include "lists/profile_data.h"
#include "tests/lists/profile_fixture.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kvn {
namespace {

using testing::ProfileFixture;
using testing::readWholeFile;
using testing::writeWholeFile;

bool sortedByExtra(const ListSequence& sequence)
{
    return std::is_sorted(
        sequence.begin(), sequence.end(), [](const ListEntry& a, const ListEntry& b) { return a.extra < b.extra; });
}

std::string statBytes(const std::vector<StatRecord>& records)
{
    RecordWriter writer;
    for (const StatRecord& record : records)
        writeStatRecord(writer, record);
    return writer.take();
}

class ProfileDataTest : public ::testing::Test, public ProfileFixture { };

TEST_F(ProfileDataTest, SaveThenLoadGivesBackTheSameData)
{
    ProfileData saved = makeData();
    testing::fillSample(saved);
    ASSERT_TRUE(saved.saveAll().ok());

    ProfileData loaded = makeData();
    ASSERT_TRUE(loaded.loadAll().ok());
    for (const ListKind kind : allListKinds)
        for (const bool white : {true, false}) {
            const ListSequence& sequence = loaded.lists().sequence(kind, white);
            EXPECT_EQ(sequence, saved.lists().sequence(kind, white)) << listKindName(kind) << white;
            for (const ListEntry& entry : sequence)
                EXPECT_EQ(entry.isWhite, white);
        }
    EXPECT_TRUE(sortedByExtra(loaded.lists().sequence(ListKind::Address, true)));
    EXPECT_TRUE(sortedByExtra(loaded.lists().sequence(ListKind::Domain, true)));
    EXPECT_EQ(loaded.lists().firstCharIndex(true), "aabz");
    EXPECT_EQ(loaded.lists().firstCharIndex(false), "js");
    EXPECT_EQ(loaded.lists().findAddress(testing::listEntry(ListKind::Address, "", "BOB@c.org"), true).position, 2);
    EXPECT_EQ(loaded.lists().findAddress(testing::listEntry(ListKind::Address, "", "spam@x.biz"), true),
        (LookupMatch{LookupResult::InOtherList, 1}));
    EXPECT_EQ(loaded.ownAddresses(), saved.ownAddresses());
    EXPECT_EQ(loaded.quarantineDecisions(), saved.quarantineDecisions());
    EXPECT_EQ(loaded.statistics().blocked, saved.statistics().blocked);
    EXPECT_EQ(loaded.statistics().accepted, saved.statistics().accepted);
    EXPECT_EQ(loaded.statistics().counters, saved.statistics().counters);
    EXPECT_FALSE(loaded.sameSenderOff());
    EXPECT_TRUE(loaded.calibrationNeeded());

    const std::string firstSave = readWholeFile(filePath(DataFile::Lists));
    ASSERT_TRUE(loaded.saveAll().ok());
    EXPECT_EQ(readWholeFile(filePath(DataFile::Lists)), firstSave) << "a loaded profile saves byte for byte the same";
}

TEST_F(ProfileDataTest, FilesAreWrittenInTheDocumentedOrderAndArePrivate)
{
    ProfileData data = makeData();
    testing::fillSample(data);
    ASSERT_TRUE(data.saveAll().ok());
    const RecordsRead<ListEntry> read = readListRecords(readWholeFile(filePath(DataFile::Lists)));
    ASSERT_EQ(read.records.size(), 12u);
    EXPECT_EQ(read.records[0].extra, "al@d.org");
    EXPECT_EQ(read.records[4].value, "home.org");
    EXPECT_EQ(read.records[6].value, "Narnia");
    EXPECT_EQ(read.records[7].extra, "junk@y.biz");
    EXPECT_EQ(read.records[11].value, "10.0.0.0");
    struct stat info { };
    ASSERT_EQ(::stat(dataFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    for (const DataFile file :
        {DataFile::Lists, DataFile::OwnAddresses, DataFile::QuarantineDecisions, DataFile::Statistics}) {
        ASSERT_EQ(::stat(filePath(file).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << dataFileName(file);
    }
}

// The Address and Domain sequences go out sorted by extra, whatever their
// values say and in whichever order they were built; the other kinds keep
// their order; white before black.
TEST_F(ProfileDataTest, ListsAreWrittenSortedByExtraInTheDocumentedOrder)
{
    ProfileData data = makeData();
    FilterLists& lists = data.lists();
    for (const char* address : {"yuri@u.org", "bea@v.org", "Xena@w.org", "bea@a.org"})
        lists.sequence(ListKind::Address, false).push_back(testing::listEntry(ListKind::Address, "", address));
    lists.rebuildAddressIndexes();
    // Values in one order, extras in the other: only the extras count.
    for (const auto& [value, extra] : std::vector<std::pair<std::string, std::string>>{
             {"a.org", "zz"}, {"b.org", "yy"}, {"c.org", "Yx"}, {"d.org", "\xC3\xA9"}, {"e.org", ""}})
        lists.sequence(ListKind::Domain, false).push_back(testing::listEntry(ListKind::Domain, value, extra));
    lists.sequence(ListKind::Domain, true).push_back(testing::listEntry(ListKind::Domain, "white.org", "2"));
    lists.sequence(ListKind::Domain, true).push_back(testing::listEntry(ListKind::Domain, "other.org", "1"));
    lists.sequence(ListKind::Word, false).push_back(testing::listEntry(ListKind::Word, "zebra", ""));
    lists.sequence(ListKind::Word, false).push_back(testing::listEntry(ListKind::Word, "apple", ""));
    ASSERT_TRUE(data.saveAll().ok());

    std::vector<std::string> written;
    for (const ListEntry& entry : readListRecords(readWholeFile(filePath(DataFile::Lists))).records)
        written.push_back(std::string(entry.isWhite ? "W " : "B ")
            + std::string(listKindName(static_cast<ListKind>(entry.kind))) + " " + entry.value + "|" + entry.extra);
    const std::vector<std::string> expected = {
        "W domain other.org|1",
        "W domain white.org|2",
        "B e-mail address |bea@a.org",
        "B e-mail address |bea@v.org",
        "B e-mail address |xena@w.org",
        "B e-mail address |yuri@u.org",
        "B domain e.org|",
        "B domain c.org|yx",
        "B domain b.org|yy",
        "B domain a.org|zz",
        "B domain d.org|\xC3\xA9",
        "B word/expression zebra|",
        "B word/expression apple|",
    };
    EXPECT_EQ(written, expected);
}

TEST_F(ProfileDataTest, StatisticsAreWrittenAcceptedQuarantinedBlockedThenSummaries)
{
    ProfileData data = makeData();
    Statistics& statistics = data.statistics();
    statistics.addStatRecord(0, 1, "blocked 1", "");
    statistics.addStatRecord(1, 3, "quarantined 1", "");
    statistics.addStatRecord(2, 2, "accepted 1", "d");
    statistics.addStatRecord(0, 6, "blocked 2", "");
    statistics.addStatRecord(2, 0, "accepted 2", "");
    statistics.counters[20] = 4;
    statistics.counters[0] = 1;
    statistics.counters[8] = 12;
    statistics.counters[9] = -3; // not above zero: not written
    ASSERT_TRUE(data.saveAll().ok());
    const double when = clock.nowOleDate();
    const std::vector<StatRecord> expected = {
        {when, 2, 2, "accepted 1", "d"},
        {when, 2, 0, "accepted 2", ""},
        {when, 1, 3, "quarantined 1", ""},
        {when, 0, 1, "blocked 1", ""},
        {when, 0, 6, "blocked 2", ""},
        {-1.0, 0, 0, "1", ""},
        {-1.0, 1, 1, "12", ""},
        {-1.0, 2, 6, "4", ""},
    };
    const RecordsRead<StatRecord> read = readStatRecords(readWholeFile(filePath(DataFile::Statistics)));
    EXPECT_TRUE(read.end.complete);
    EXPECT_EQ(read.records, expected);
}

TEST_F(ProfileDataTest, FirstLoadCreatesFolderAndEmptyFilesWithoutChangingDirectory)
{
    const auto before = std::filesystem::current_path();
    ProfileData data = makeData();
    testing::fillSample(data); // a load empties what was there
    EXPECT_TRUE(data.loadAll().ok());
    EXPECT_EQ(std::filesystem::current_path(), before);
    for (const DataFile file :
        {DataFile::Lists, DataFile::OwnAddresses, DataFile::QuarantineDecisions, DataFile::Statistics}) {
        ASSERT_TRUE(std::filesystem::is_regular_file(filePath(file))) << dataFileName(file);
        EXPECT_EQ(std::filesystem::file_size(filePath(file)), 0u) << dataFileName(file);
    }
    for (const ListKind kind : allListKinds)
        for (const bool white : {true, false})
            EXPECT_TRUE(data.lists().sequence(kind, white).empty()) << listKindName(kind) << white;
    EXPECT_EQ(data.lists().firstCharIndex(true), "");
    EXPECT_EQ(data.lists().firstCharIndex(false), "");
    EXPECT_TRUE(data.ownAddresses().empty());
    EXPECT_TRUE(data.quarantineDecisions().empty());
    EXPECT_TRUE(data.statistics().blocked.empty());
    EXPECT_TRUE(data.statistics().quarantined.empty());
    EXPECT_TRUE(data.statistics().accepted.empty());
    EXPECT_EQ(data.statistics().counters, StatCounters{});
    EXPECT_TRUE(data.sameSenderOff()) << "no own address: protection off";
    EXPECT_FALSE(data.calibrationNeeded());
}

TEST_F(ProfileDataTest, KindNineIsSkippedAndTheRestLoads)
{
    RecordWriter writer;
    ListEntry odd = testing::listEntry(ListKind::Word, "odd", "");
    odd.kind = 9;
    ListEntry word = testing::listEntry(ListKind::Word, "after", "");
    word.isWhite = true;
    writeListEntryRecord(writer, odd);
    writeListEntryRecord(writer, word);
    std::filesystem::create_directory(dataFolder());
    writeWholeFile(filePath(DataFile::Lists), writer.take());
    ProfileData data = makeData();
    const DataProblems problems = data.loadAll();
    EXPECT_TRUE(problems.allRead());
    EXPECT_EQ(problems.skippedRecordNotes, 1u);
    ASSERT_EQ(data.lists().sequence(ListKind::Word, true).size(), 1u);
    EXPECT_EQ(data.lists().sequence(ListKind::Word, true)[0].value, "after");
    EXPECT_TRUE(data.lists().sequence(ListKind::Word, false).empty());
}

TEST_F(ProfileDataTest, StatisticsFoldAtTheSevenDayCutOff)
{
    const double now = clock.nowOleDate();
    const std::vector<StatRecord> records = {
        {now - 7.0, 0, 1, "exactly seven days", ""},
        {now - 7.0001, 1, 6, "older", ""},
        {now - 30.0, 2, 0, "much older", ""},
        {-1.0, 0, 3, "12", ""},
        {-1.0, 0, 3, "3", ""},
        {now - 8.0, 3, 0, "old index 21", ""},
        {now - 8.0, -1, 2, "old negative index", ""},
        {now - 1.0, 3, 0, "new, category 3", ""},
        {now - 8.0, INT32_MAX, INT32_MAX, "old, overflowing index", ""},
        {now, 1, 2, "today", ""},
    };
    std::filesystem::create_directory(dataFolder());
    writeWholeFile(filePath(DataFile::Statistics), statBytes(records));
    ProfileData data = makeData();
    EXPECT_TRUE(data.loadAll().ok());
    const Statistics& statistics = data.statistics();
    ASSERT_EQ(statistics.blocked.size(), 1u);
    EXPECT_EQ(statistics.blocked[0].message, "exactly seven days");
    ASSERT_EQ(statistics.quarantined.size(), 1u);
    EXPECT_EQ(statistics.quarantined[0].message, "today");
    EXPECT_TRUE(statistics.accepted.empty());
    StatCounters expected{};
    expected[13] = 1;
    expected[14] = 1;
    expected[3] = 15;
    EXPECT_EQ(statistics.counters, expected);
}

TEST_F(ProfileDataTest, CountersAreWrittenAsSummaryRecordsAndAddedStatsKeepArrivalOrder)
{
    ProfileData data = makeData();
    data.statistics().addStatRecord(1, 3, "first", "");
    clock.advanceDays(0.5);
    data.statistics().addStatRecord(1, 0, "second", "d");
    data.statistics().counters[20] = 2;
    ASSERT_EQ(data.statistics().quarantined.size(), 2u);
    EXPECT_EQ(data.statistics().quarantined[1].when, clock.nowOleDate());
    ASSERT_TRUE(data.saveAll().ok());
    const RecordsRead<StatRecord> read = readStatRecords(readWholeFile(filePath(DataFile::Statistics)));
    ASSERT_EQ(read.records.size(), 3u);
    EXPECT_EQ(read.records[0].message, "first");
    EXPECT_EQ(read.records[1].message, "second");
    EXPECT_EQ(read.records[2], (StatRecord{-1.0, 2, 6, "2", ""}));

    clock.advanceDays(10);
    ProfileData later = makeData();
    EXPECT_TRUE(later.loadAll().ok());
    EXPECT_TRUE(later.statistics().quarantined.empty());
    EXPECT_EQ(later.statistics().counters[10], 1);
    EXPECT_EQ(later.statistics().counters[7], 1);
    EXPECT_EQ(later.statistics().counters[20], 2);
}

TEST_F(ProfileDataTest, MissingInstallDirFailsEachFileAndCreatesNothing)
{
    ProfileData data("/nonexistent/kvn-install", "Default", realFileSystem(), clock);
    const DataProblems loaded = data.loadAll();
    ASSERT_EQ(loaded.messages.size(), 4u);
    EXPECT_NE(loaded.messages[0].find("/nonexistent/kvn-install does not exist"), std::string::npos);
    testing::fillSample(data);
    const DataProblems saved = data.saveAll();
    ASSERT_EQ(saved.messages.size(), 4u);
    EXPECT_FALSE(std::filesystem::exists("/nonexistent/kvn-install"));
}

TEST_F(ProfileDataTest, FileCutShortKeepsRecordsBeforeItAndACopyOfTheWhole)
{
    ProfileData original = makeData();
    testing::fillSample(original);
    ASSERT_TRUE(original.saveAll().ok());
    std::string bytes = readWholeFile(filePath(DataFile::Lists));
    bytes.resize(bytes.size() - 3);
    writeWholeFile(filePath(DataFile::Lists), bytes);

    ProfileData data = makeData();
    const DataProblems problems = data.loadAll();
    ASSERT_EQ(problems.messages.size(), 1u);
    EXPECT_NE(problems.messages[0].find("stopped at byte"), std::string::npos);
    EXPECT_EQ(data.lists().sequence(ListKind::IpRange, false).size(), 0u);
    EXPECT_EQ(data.lists().sequence(ListKind::FileType, false).size(), 1u);
    EXPECT_EQ(readWholeFile(filePath(DataFile::Lists)), bytes) << "a file read in part is not rewritten";
    EXPECT_EQ(readWholeFile(filePath(DataFile::Lists) + ".damaged"), bytes);
}

TEST_F(ProfileDataTest, FolderThatIsAFileIsUnreadableAndNotOverwritten)
{
    std::filesystem::create_directories(filePath(DataFile::QuarantineDecisions));
    ProfileData data = makeData();
    const DataProblems loaded = data.loadAll();
    ASSERT_EQ(loaded.messages.size(), 1u);
    EXPECT_NE(loaded.messages[0].find("qEmails.lst"), std::string::npos);
    const DataProblems saved = data.saveAll();
    ASSERT_EQ(saved.messages.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(filePath(DataFile::QuarantineDecisions)));
}

TEST_F(ProfileDataTest, SaveToAnotherFolderWritesUnderItsProfileFolder)
{
    ProfileData data = makeData();
    testing::fillSample(data);
    const std::string other = temp / "elsewhere";
    std::filesystem::create_directory(other);
    ASSERT_TRUE(data.saveAll(other).ok());
    EXPECT_TRUE(std::filesystem::exists(other + "/Default/lists.lst"));
    EXPECT_FALSE(std::filesystem::exists(filePath(DataFile::Lists)));
}

} // namespace
} // namespace kvn
