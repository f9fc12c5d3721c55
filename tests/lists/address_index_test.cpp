// The address hash beside FirstCharIndex: random runs of the operations that
// change the Address sequences, each followed by look-ups whose answers must
// equal, result and position, those of walking the runs of the index text.
#include "lists/filter_lists.h"
#include "lists/profile_data.h"
#include "platform/core/utf8_text.h"
#include "tests/lists/profile_fixture.h"

#include <gtest/gtest.h>
#include <random>

namespace kvn {
namespace {

// The look-up as the index text alone gives it: the first entry within the
// run of the address's first byte that equals it ignoring case.
int walkRun(const FilterLists& lists, std::string_view address, bool white)
{
    const std::string& index = lists.firstCharIndex(white);
    const ListSequence& addresses = lists.sequence(ListKind::Address, white);
    const char first = FilterLists::indexByteOf(address);
    const std::size_t lo = index.find(first);
    if (lo == std::string::npos || addresses.empty())
        return -1;
    const std::size_t hi = std::min(index.rfind(first), addresses.size() - 1);
    for (std::size_t i = lo; i <= hi && i < addresses.size(); ++i)
        if (equalsIgnoringCase(address, addresses[i].extra))
            return static_cast<int>(i);
    return -1;
}

LookupMatch walkedAnswer(const FilterLists& lists, std::string_view address, bool askWhite)
{
    if (address.empty())
        return {LookupResult::NoKey, -1};
    if (const int at = walkRun(lists, address, askWhite); at >= 0)
        return {LookupResult::InAskedList, at};
    if (const int at = walkRun(lists, address, !askWhite); at >= 0)
        return {LookupResult::InOtherList, at};
    return {LookupResult::NotFound, -1};
}

// Pieces that fold together or look alike: ASCII in both cases, letters
// whose lower case is ASCII (Kelvin sign, dotted capital I), other scripts,
// and bytes that are not UTF-8 (a lone lead byte, an overlong form, 0xFF).
const char* const pieces[] = {"a", "A", "b", "B", "k", "K", "\u212A", "i", "I", "\u0130", "\u00E9", "\u00C9", "\u00DF",
    "\u03A3", "\u03C3", "\u03C2", "\xC3", "\xC0\x80", "\xFF", "@", "."};

std::string randomAddress(std::mt19937& random)
{
    std::string address;
    const int length = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < length; ++i)
        address += pieces[random() % std::size(pieces)];
    return address;
}

// An entry whose stored address keeps its letter case as given (a file
// written elsewhere may hold one so).
ListEntry addressEntry(const std::string& text)
{
    ListEntry entry(listKindCode(ListKind::Address), "name", "", 0, "2026.01.01", "");
    entry.extra = text;
    return entry;
}

void expectSameAnswers(const FilterLists& lists, std::mt19937& random, const std::string& step)
{
    std::vector<std::string> probes;
    for (const bool white : {true, false})
        for (const ListEntry& listed : lists.sequence(ListKind::Address, white))
            probes.push_back(listed.extra);
    for (int i = 0; i < 40; ++i)
        probes.push_back(randomAddress(random));
    probes.push_back("");
    for (const std::string& probe : probes) {
        for (const bool askWhite : {true, false}) {
            ListEntry asked(listKindCode(ListKind::Address), "", "", 0, "", "");
            asked.extra = probe;
            const LookupMatch expected = walkedAnswer(lists, probe, askWhite);
            const LookupMatch found = lists.findAddress(asked, askWhite);
            ASSERT_EQ(found.result, expected.result) << step << ", probe \"" << probe << "\"";
            ASSERT_EQ(found.position, expected.position) << step << ", probe \"" << probe << "\"";
        }
    }
}

TEST(AddressIndexTest, AnswersAsWalkingTheRunsThroughEveryChange)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        std::mt19937 random(seed);
        FilterLists lists;
        for (int step = 0; step < 60; ++step) {
            const bool white = random() % 2 == 0;
            ListSequence& addresses = lists.sequence(ListKind::Address, white);
            const auto operation = random() % 20;
            std::string name;
            if (operation < 11) {
                name = "insert";
                insertAddressEntry(lists, white, addressEntry(randomAddress(random)));
            } else if (operation < 15 && !addresses.empty()) {
                name = "remove";
                removeEntry(lists, ListKind::Address, white, static_cast<int>(random() % addresses.size()));
            } else if (operation < 17) {
                name = "append and rebuild";
                for (int i = 0; i < 5; ++i)
                    addresses.push_back(addressEntry(randomAddress(random)));
                lists.rebuildAddressIndexes();
            } else if (operation < 19) {
                name = "sort for saving";
                lists.sortAddressesForSaving(white);
            } else {
                name = "clear";
                lists.clear();
            }
            expectSameAnswers(
                lists, random, "seed " + std::to_string(seed) + " step " + std::to_string(step) + " " + name);
        }
    }
}

TEST(AddressIndexTest, AppendsWithoutRebuildStillAnswerAsTheWalk)
{
    FilterLists lists;
    insertAddressEntry(lists, true, addressEntry("ann@example.org"));
    // A caller that appends and updates the index text itself, as reading a
    // file once did, without telling the hash.
    lists.sequence(ListKind::Address, true).push_back(addressEntry("bob@example.org"));
    lists.firstCharIndex(true) += 'b';
    std::mt19937 random(3);
    expectSameAnswers(lists, random, "after a bare append");
    EXPECT_EQ(lists.findAddress(addressEntry("bob@EXAMPLE.org"), true).position, 1);
}

TEST(AddressIndexTest, AnAddressOutsideItsRunIsNotFoundByEither)
{
    // The Kelvin sign folds to "k" but stands in the run of its own first
    // byte, so "kim@x" is not found though an entry equals it ignoring case.
    FilterLists lists;
    insertAddressEntry(lists, true, addressEntry("\u212Aim@x"));
    EXPECT_EQ(lists.findAddress(addressEntry("kim@x"), true).result, LookupResult::NotFound);
    EXPECT_EQ(lists.findAddress(addressEntry("\u212AIM@X"), true).position, 0);
}

TEST(AddressIndexTest, SavedAndLoadedListsAnswerAsTheWalk)
{
    testing::ProfileFixture profile;
    ProfileData data = profile.makeData();
    ASSERT_TRUE(data.loadAll().ok());
    std::mt19937 random(11);
    for (int i = 0; i < 200; ++i)
        insertAddressEntry(data.lists(), i % 3 != 0, addressEntry(randomAddress(random)));
    ASSERT_TRUE(data.saveAll().ok());
    expectSameAnswers(data.lists(), random, "after saving (sorted)");
    ProfileData loaded = profile.makeData();
    ASSERT_TRUE(loaded.readAll().ok());
    ASSERT_EQ(loaded.lists().sequence(ListKind::Address, true).size(), 133u);
    expectSameAnswers(loaded.lists(), random, "after loading");
}

} // namespace
} // namespace kvn
