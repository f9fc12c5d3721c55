// The record readers and writers of the four data files, on good and on
// damaged bytes.
#include "lists/list_records.h"
#include "lists/own_address_record.h"
#include "lists/quarantine_decision.h"
#include "lists/stat_record.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

std::string listBytes(const std::vector<ListEntry>& entries)
{
    RecordWriter writer;
    for (const ListEntry& entry : entries)
        writeListEntryRecord(writer, entry);
    return writer.take();
}

ListEntry sampleEntry(std::int32_t kind, std::string value, std::string extra, bool white)
{
    ListEntry entry(kind, std::move(value), std::move(extra), 42, "2024.01.02", "2024.02.03");
    entry.isWhite = white;
    return entry;
}

TEST(RecordFormatTest, ListRecordBytesAreExact)
{
    const std::string bytes = listBytes({sampleEntry(2, "Al", "a@b", true)});
    const std::string expected = std::string("\x01"
                                             "\x02\x00\x00\x00"
                                             "\x02\x00\x00\x00"
                                             "Al"
                                             "\x03\x00\x00\x00"
                                             "a@b"
                                             "\x2A\x00\x00\x00"
                                             "\x0A\x00\x00\x00"
                                             "2024.01.02"
                                             "\x0A\x00\x00\x00"
                                             "2024.02.03"
                                             "\x01",
        1 + 4 + 6 + 7 + 4 + 14 + 14 + 1);
    EXPECT_EQ(bytes, expected);
}

TEST(RecordFormatTest, StatRecordDateIsLittleEndianDouble)
{
    RecordWriter writer;
    writeStatRecord(writer, StatRecord{-1.0, 1, 6, "12", ""});
    const std::string bytes = writer.take();
    ASSERT_EQ(bytes.size(), 1u + 8 + 4 + 4 + 6 + 4);
    EXPECT_EQ(bytes.substr(1, 8), std::string("\x00\x00\x00\x00\x00\x00\xF0\xBF", 8));
    const RecordsRead<StatRecord> read = readStatRecords(bytes);
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.records[0], (StatRecord{-1.0, 1, 6, "12", ""}));
    EXPECT_TRUE(read.end.complete);
}

TEST(RecordFormatTest, EveryRecordTypeReadsBackWhatWasWritten)
{
    const std::vector<ListEntry> entries = {
        sampleEntry(2, "", "x@y", true), sampleEntry(9, "odd", "", false), sampleEntry(6, "1.2.3.4", "1.2.3.9", false)};
    const RecordsRead<ListEntry> lists = readListRecords(listBytes(entries));
    EXPECT_EQ(lists.records, entries) << "kinds outside 2..7 are read; skipping them is the loader's business";

    RecordWriter own;
    const std::vector<OwnAddressRecord> owners = {{"me@home.org", ""}, {"me@work.org", "by mx.work.org"}};
    for (const auto& record : owners)
        writeOwnAddressRecord(own, record);
    EXPECT_EQ(readOwnAddressRecords(own.bytes()).records, owners);

    RecordWriter decisions;
    const std::vector<QuarantineDecision> decided = {{"00AB12", 3, "Trusted word/expression in subject - hi", true}};
    for (const auto& decision : decided)
        writeQuarantineDecision(decisions, decision);
    EXPECT_EQ(readQuarantineDecisions(decisions.bytes()).records, decided);
}

TEST(RecordFormatTest, AnyNonZeroWhiteByteAndAnyMarkerAreAccepted)
{
    std::string bytes = listBytes({sampleEntry(3, "d.org", "", true)});
    bytes.front() = '\x7F';
    bytes.back() = '\x05';
    const RecordsRead<ListEntry> read = readListRecords(bytes);
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_TRUE(read.records[0].isWhite);
}

// A file cut after any byte keeps the whole records before the cut and says
// where the cut record began.
TEST(DamagedRecordsTest, CutAtEveryByteKeepsTheRecordsBefore)
{
    const std::string first = listBytes({sampleEntry(2, "A", "a@x", true)});
    const std::string second = listBytes({sampleEntry(4, "word", "", false)});
    const std::string bytes = first + second;
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        const RecordsRead<ListEntry> read = readListRecords(std::string_view(bytes).substr(0, length));
        const bool atRecordEnd = length == 0 || length == first.size() || length == bytes.size();
        EXPECT_EQ(read.end.complete, atRecordEnd) << length;
        EXPECT_EQ(read.records.size(), length < first.size() ? 0u : length < bytes.size() ? 1u : 2u) << length;
        if (!atRecordEnd) {
            EXPECT_EQ(read.end.cutAt, length < first.size() ? 0u : first.size()) << length;
        }
    }
}

TEST(DamagedRecordsTest, HugeAndNegativeCountsEndReadingWithoutAllocating)
{
    const std::string good = listBytes({sampleEntry(2, "", "a@x", true)});
    for (const std::string& count : {std::string("\xFF\xFF\xFF\x7F", 4), std::string("\xFF\xFF\xFF\xFF", 4),
             std::string("\x00\x00\x00\x80", 4), std::string("\x10\x00\x00\x00", 4)}) {
        const std::string bytes = good + std::string("\x01\x02\x00\x00\x00", 5) + count + "short";
        const RecordsRead<ListEntry> read = readListRecords(bytes);
        EXPECT_EQ(read.records.size(), 1u);
        EXPECT_EQ(read.end, (ReadEnd{false, good.size()}));
    }
}

TEST(DamagedRecordsTest, EveryReaderStopsAtACutRecord)
{
    RecordWriter writer;
    writeStatRecord(writer, StatRecord{45000.5, 0, 1, "Blocked e-mail - x@y", ""});
    const std::string stat = writer.take();
    EXPECT_EQ(readStatRecords(stat.substr(0, stat.size() - 1)).end, (ReadEnd{false, 0}));

    writeOwnAddressRecord(writer, {"me@x", "cal"});
    const std::string own = writer.take();
    EXPECT_EQ(readOwnAddressRecords(own + own.substr(0, 3)).end, (ReadEnd{false, own.size()}));

    writeQuarantineDecision(writer, {"ID", 2, "why", false});
    const std::string decision = writer.take();
    const RecordsRead<QuarantineDecision> read = readQuarantineDecisions(decision + decision.substr(0, 9));
    EXPECT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.end, (ReadEnd{false, decision.size()}));
    EXPECT_EQ(describeReadEnd(read.end), "record cut short at byte " + std::to_string(decision.size()));
    EXPECT_EQ(describeReadEnd(ReadEnd{}), "end of file");
}

} // namespace
} // namespace kvn
