// The adding rule of the first-run configuration, and the import of a lists
// file with hostile files.
#include "addin/first_run_addresses.h"
#include "addin/first_run_import.h"

#include "lists/list_kind.h"
#include "lists/list_records.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unprivileged.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvn {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> shown(const ListSequence& sequence)
{
    std::vector<std::string> texts;
    for (const ListEntry& entry : sequence)
        texts.push_back(entry.value + " <" + entry.extra + ">");
    return texts;
}

TEST(FirstRunAddresses, EachAddressGoesBeforeTheFirstGreaterOneInLowerCase)
{
    ListSequence list;
    appendGuard(list);
    const std::string today = "2024.03.15";
    EXPECT_TRUE(addWhiteAddress(list, "Mia@Example.org", "Mia", PresentEntry::Keep, today));
    EXPECT_TRUE(addWhiteAddress(list, "al@example.org", "Al", PresentEntry::Keep, today));
    EXPECT_FALSE(addWhiteAddress(list, "MIA@EXAMPLE.ORG", "Other Mia", PresentEntry::Keep, today));
    EXPECT_FALSE(addWhiteAddress(list, "", "Nobody", PresentEntry::Keep, today));
    EXPECT_TRUE(addWhiteAddress(list, "zoë@example.org", "Zoë", PresentEntry::Keep, today));
    EXPECT_TRUE(addWhiteAddress(list, "Émile@example.org", "Émile", PresentEntry::Keep, today));
    EXPECT_THAT(shown(list),
        ElementsAre("Al <al@example.org>", "Mia <mia@example.org>", "Zoë <zoë@example.org>",
            "Émile <émile@example.org>", "~~~~~ <~~~~~@~~~~~.~~~>"))
        << "a letter outside ASCII sorts after the guard yet goes before it";
    EXPECT_EQ(list[0].dateAdded, today);

    list.emplace_back(2, "Put last by a command", "x@example.org", 0, "", "");
    ASSERT_TRUE(removeGuard(list));
    EXPECT_EQ(list.size(), 5u);
    EXPECT_EQ(list.back().extra, "x@example.org") << "the guard goes wherever it stands";
    list.pop_back();
    EXPECT_FALSE(removeGuard(list)) << "only the guard is removed";
    EXPECT_EQ(list.size(), 4u);
    EXPECT_TRUE(addWhiteAddress(list, "Ötzi@example.org", "Ötzi", PresentEntry::Keep, today));
    EXPECT_EQ(list.back().extra, "ötzi@example.org") << "without a guard an address sorting last is appended";
}

TEST(FirstRunAddresses, ANameThatIsReallyAnAddressIsReplacedOnlyByMailSteps)
{
    ListSequence list;
    const std::string today = "2024.03.15";
    addWhiteAddress(list, "bob@example.org", "bob@example.org", PresentEntry::Keep, today);
    addWhiteAddress(list, "cy@example.org", "@cy", PresentEntry::Keep, today);
    addWhiteAddress(list, "dee@example.org", "Dee", PresentEntry::Keep, today);

    addWhiteAddress(list, "BOB@example.org", "Bob Brown", PresentEntry::Keep, today);
    EXPECT_EQ(list[0].value, "bob@example.org") << "the contacts leave a present entry alone";
    addWhiteAddress(list, "BOB@example.org", "Bob Brown", PresentEntry::NameTheAddress, today);
    addWhiteAddress(list, "cy@example.org", "Cy", PresentEntry::NameTheAddress, today);
    addWhiteAddress(list, "dee@example.org", "Dee Dee", PresentEntry::NameTheAddress, today);
    EXPECT_THAT(
        shown(list), ElementsAre("Bob Brown <bob@example.org>", "@cy <cy@example.org>", "Dee <dee@example.org>"))
        << "an @ in first place or a real name is no address";

    EXPECT_TRUE(looksLikeAddress("a@b"));
    EXPECT_FALSE(looksLikeAddress("@ab"));
    EXPECT_FALSE(looksLikeAddress("@"));
    EXPECT_FALSE(looksLikeAddress(""));
}

class FirstRunImport : public ::testing::Test {
protected:
    static std::string recordBytes(std::int32_t kind, const std::string& value, const std::string& extra, bool white)
    {
        RecordWriter writer;
        ListEntry entry(kind, value, extra, 0, "2020.01.02", "");
        entry.isWhite = white;
        writeListEntryRecord(writer, entry);
        return writer.take();
    }

    testing::TempFolder temp;
};

TEST_F(FirstRunImport, RecordsGoToTheirSequencesAndAddressesAreSorted)
{
    const std::string bytes = recordBytes(2, "Zed", "zed@example.org", true)
        + recordBytes(2, "Al", "al@example.org", true) + recordBytes(7, "Chad", "", false)
        + recordBytes(1, "kind one", "", true) + recordBytes(2, "Spam", "spam@bad.example", false)
        + recordBytes(2, "Al again", "al@example.org", true);
    testing::writeWholeFile(temp / "old.lst", bytes);
    ImportedLists imported = readImportedLists(realFileSystem(), temp / "old.lst");
    ASSERT_TRUE(imported.status.ok()) << imported.status.error();
    EXPECT_EQ(imported.records.size(), 6u);

    FilterLists lists;
    appendImportedLists(lists, std::move(imported.records));
    EXPECT_THAT(shown(lists.sequence(ListKind::Address, true)),
        ElementsAre("Al <al@example.org>", "Al again <al@example.org>", "Zed <zed@example.org>"))
        << "no duplicate check";
    EXPECT_THAT(shown(lists.sequence(ListKind::Address, false)), ElementsAre("Spam <spam@bad.example>"));
    EXPECT_EQ(lists.sequence(ListKind::Country, false).size(), 1u);
    EXPECT_EQ(lists.firstCharIndex(true), "") << "the indexes are rebuilt when the configuration ends";
}

TEST_F(FirstRunImport, HostileFilesImportWhatCanBeReadAndNeverBlock)
{
    const std::string two = recordBytes(2, "Al", "al@example.org", true) + recordBytes(2, "Bo", "bo@example.org", true);

    testing::writeWholeFile(temp / "cut.lst", two + two.substr(0, 20));
    EXPECT_EQ(readImportedLists(realFileSystem(), temp / "cut.lst").records.size(), 2u) << "the records before the cut";

    const std::string latin1 = "Andr\xe9";
    testing::writeWholeFile(temp / "latin1.lst", recordBytes(2, latin1, "andr\xe9@example.org", true));
    const ImportedLists raw = readImportedLists(realFileSystem(), temp / "latin1.lst");
    ASSERT_EQ(raw.records.size(), 1u);
    EXPECT_EQ(raw.records[0].value, latin1) << "bytes that are not UTF-8 are kept as they are";

    testing::writeWholeFile(temp / "count.lst", std::string("\x01\x02\x00\x00\x00\xff\xff\xff\x7f", 9) + "x");
    EXPECT_TRUE(readImportedLists(realFileSystem(), temp / "count.lst").records.empty())
        << "a text count beyond the file";

    ASSERT_EQ(mkfifo((temp / "fifo.lst").c_str(), 0600), 0);
    const ImportedLists fifo = readImportedLists(realFileSystem(), temp / "fifo.lst");
    EXPECT_FALSE(fifo.status.ok());
    EXPECT_THAT(fifo.status.error(), HasSubstr("FIFO"));
    EXPECT_TRUE(fifo.records.empty());

    const ImportedLists folder = readImportedLists(realFileSystem(), temp.path());
    EXPECT_FALSE(folder.status.ok());

    const ImportedLists missing = readImportedLists(realFileSystem(), temp / "missing.lst");
    EXPECT_FALSE(missing.status.ok());

    // Larger than a data file may be: refused unread (a sparse file costs no disk).
    {
        std::filesystem::path huge = temp / "huge.lst";
        testing::writeWholeFile(huge, two);
        std::filesystem::resize_file(huge, (std::uintmax_t{1} << 30) + 1);
    }
    const ImportedLists huge = readImportedLists(realFileSystem(), temp / "huge.lst");
    EXPECT_FALSE(huge.status.ok());
    EXPECT_TRUE(huge.records.empty());
}

TEST_F(FirstRunImport, AnUnreadableFileImportsNothing)
{
    const std::string path = temp / "private.lst";
    testing::writeWholeFile(path, recordBytes(2, "Al", "al@example.org", true));
    testing::handOver(temp.path()); // the file's owner, not let in by its mode
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    const testing::UnprivilegedRun run = testing::runUnprivileged([&] {
        const ImportedLists imported = readImportedLists(realFileSystem(), path);
        return std::to_string(imported.records.size()) + (imported.status.ok() ? " ok" : " failed");
    });
    ASSERT_TRUE(run.ran) << run.failure;
    EXPECT_EQ(run.output, "0 failed");
}

} // namespace
} // namespace kvn
