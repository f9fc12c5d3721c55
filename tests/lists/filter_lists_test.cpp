// Look-ups, the address index and the match primitives of the lists.
#include "lists/filter_lists.h"
#include "lists/list_matching.h"
#include "platform/core/ole_date.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

ListEntry address(std::string addressText, std::string name = {})
{
    return ListEntry(listKindCode(ListKind::Address), std::move(name), std::move(addressText), 0, "2024.01.01", "");
}

ListEntry entry(ListKind kind, std::string value, std::string extra = {})
{
    return ListEntry(listKindCode(kind), std::move(value), std::move(extra), 0, "2024.01.01", "");
}

class FilterListsTest : public ::testing::Test {
protected:
    void addAddress(bool white, const std::string& text) { insertAddressEntry(lists, white, address(text)); }

    FilterLists lists;
};

TEST(ListEntryTest, ConstructorLowerCasesExtraOnly)
{
    const ListEntry e(2, "Jörg Müller", "Jörg.MÜLLER@Example.COM", 3, "2024.01.02", "");
    EXPECT_EQ(e.value, "Jörg Müller");
    EXPECT_EQ(e.extra, "jörg.müller@example.com");
    EXPECT_EQ(e.receivedCount, 3);
}

TEST(ListKindTest, NamesAndCodes)
{
    EXPECT_EQ(listKindName(ListKind::Address), "e-mail address");
    EXPECT_EQ(listKindName(ListKind::FileType), "attached file type");
    EXPECT_FALSE(isListKind(1));
    EXPECT_TRUE(isListKind(2));
    EXPECT_TRUE(isListKind(7));
    EXPECT_FALSE(isListKind(8));
}

TEST_F(FilterListsTest, EmptyAddressIsNoKey)
{
    addAddress(true, "a@x.org");
    EXPECT_EQ(lists.findAddress(address(""), true), (LookupMatch{LookupResult::NoKey, -1}));
}

TEST_F(FilterListsTest, AddressFoundIgnoringCaseInAskedThenOtherList)
{
    addAddress(true, "bob@x.org");
    addAddress(false, "eve@y.org");
    EXPECT_EQ(lists.findAddress(address("BOB@X.org"), true), (LookupMatch{LookupResult::InAskedList, 0}));
    EXPECT_EQ(lists.findAddress(address("bob@x.org"), false), (LookupMatch{LookupResult::InOtherList, 0}));
    EXPECT_EQ(lists.findAddress(address("eve@y.org"), true), (LookupMatch{LookupResult::InOtherList, 0}));
    EXPECT_EQ(lists.findAddress(address("bo@x.org"), true), (LookupMatch{LookupResult::NotFound, -1}));
}

TEST_F(FilterListsTest, AddressInBothPolaritiesReportsTheAskedOne)
{
    addAddress(true, "a@x.org");
    addAddress(false, "b@x.org");
    addAddress(false, "same@x.org");
    addAddress(true, "same@x.org");
    EXPECT_EQ(lists.findAddress(address("same@x.org"), true), (LookupMatch{LookupResult::InAskedList, 1}));
    EXPECT_EQ(lists.findAddress(address("same@x.org"), false), (LookupMatch{LookupResult::InAskedList, 1}));
}

TEST_F(FilterListsTest, LookupStaysCorrectWhenRunsAreNotContiguous)
{
    ListSequence& white = lists.sequence(ListKind::Address, true);
    for (const char* text : {"a1@x", "b@x", "a2@x"})
        white.push_back(address(text));
    lists.rebuildAddressIndexes();
    EXPECT_EQ(lists.firstCharIndex(true), "aba");
    EXPECT_EQ(lists.findAddress(address("a2@x"), true).position, 2);
}

TEST_F(FilterListsTest, InsertPositionWithinTheRunOfTheFirstByte)
{
    for (const char* text : {"al@x", "an@x", "bo@x"})
        addAddress(true, text);
    ASSERT_EQ(lists.firstCharIndex(true), "aab");

    std::string index = lists.firstCharIndex(true);
    const ListSequence& white = lists.sequence(ListKind::Address, true);
    EXPECT_EQ(FilterLists::addressInsertPosition(index, "am@x", white), 1);
    EXPECT_EQ(index, "aaab");
    index = "aab";
    EXPECT_EQ(FilterLists::addressInsertPosition(index, "az@x", white), 2);
    EXPECT_EQ(index, "aaab");
    index = "aab";
    EXPECT_EQ(FilterLists::addressInsertPosition(index, "Aa@x", white), 0) << "capital A orders before a";
    EXPECT_EQ(index, "Aaab");
    index = "aab";
    EXPECT_EQ(FilterLists::addressInsertPosition(index, "zed@x", white), 3);
    EXPECT_EQ(index, "aabz");
}

TEST_F(FilterListsTest, BytesFromHighHalfOrderBeforeAscii)
{
    addAddress(true, "a@x");
    addAddress(true, "é@x"); // first byte 0xC3, negative as a signed byte
    addAddress(true, "");
    const std::string& index = lists.firstCharIndex(true);
    ASSERT_EQ(index.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(index[0]), 0xC3);
    EXPECT_EQ(index[1], '\0');
    EXPECT_EQ(index[2], 'a');
    EXPECT_EQ(lists.sequence(ListKind::Address, true)[0].extra, "é@x");
    EXPECT_EQ(lists.findAddress(address("É@X"), true).position, 0);
}

TEST_F(FilterListsTest, RemoveKeepsIndexInStep)
{
    for (const char* text : {"a@x", "b@x", "c@x"})
        addAddress(false, text);
    removeEntry(lists, ListKind::Address, false, 1);
    EXPECT_EQ(lists.firstCharIndex(false), "ac");
    EXPECT_EQ(lists.findAddress(address("c@x"), false).position, 1);
    std::string index = "abc";
    EXPECT_EQ(FilterLists::removeIndexChar(index, 'q'), -1);
    EXPECT_EQ(index, "abc");
}

TEST_F(FilterListsTest, DomainMatchesExactlyOnly)
{
    lists.sequence(ListKind::Domain, false).push_back(entry(ListKind::Domain, "spam.com"));
    lists.sequence(ListKind::Domain, true).push_back(entry(ListKind::Domain, "friends.org"));
    EXPECT_EQ(lists.findDomain("x@spam.com", false), (LookupMatch{LookupResult::DomainInAskedList, 0}));
    EXPECT_EQ(lists.findDomain("x@spam.com", true), (LookupMatch{LookupResult::DomainInOtherList, 0}));
    EXPECT_EQ(lists.findDomain("x@a@friends.org", true).result, LookupResult::DomainInAskedList);
    EXPECT_EQ(lists.findDomain("friends.org", true).result, LookupResult::DomainInAskedList);
    EXPECT_EQ(lists.findDomain("x@mail.spam.com", false).result, LookupResult::NotFound);
    EXPECT_EQ(lists.findDomain("x@SPAM.com", false).result, LookupResult::NotFound);
    EXPECT_EQ(lists.findDomain("", false).result, LookupResult::NotFound);
}

// The answer of the Part's linear search, position by position.
LookupMatch scannedDomain(const FilterLists& lists, const std::string& domain, bool askWhite)
{
    for (const bool white : {askWhite, !askWhite}) {
        const ListSequence& domains = lists.sequence(ListKind::Domain, white);
        for (std::size_t i = 0; i < domains.size(); ++i)
            if (domains[i].value == domain)
                return {white == askWhite ? LookupResult::DomainInAskedList : LookupResult::DomainInOtherList,
                    static_cast<int>(i)};
    }
    return {LookupResult::NotFound, -1};
}

TEST_F(FilterListsTest, DomainIndexAnswersAsTheScanThroughEveryChange)
{
    const std::vector<std::string> probes
        = {"a.example", "b.example", "c.example", "d.example", "new.example", "late.example", "A.example", ""};
    const auto expectAsScan = [&](const char* step) {
        for (const std::string& domain : probes)
            for (const bool askWhite : {true, false})
                EXPECT_EQ(lists.findDomain("x@" + domain, askWhite), scannedDomain(lists, domain, askWhite))
                    << step << ": " << domain;
    };
    ListSequence& white = lists.sequence(ListKind::Domain, true);
    ListSequence& black = lists.sequence(ListKind::Domain, false);
    for (const char* value : {"c.example", "a.example", "c.example", "b.example"})
        white.push_back(entry(ListKind::Domain, value));
    black.push_back(entry(ListKind::Domain, "b.example"));
    black.push_back(entry(ListKind::Domain, "d.example"));
    expectAsScan("before any index");
    lists.rebuildAddressIndexes();
    expectAsScan("rebuilt");
    white.push_back(entry(ListKind::Domain, "new.example"));
    white.push_back(entry(ListKind::Domain, "a.example"));
    black.push_back(entry(ListKind::Domain, "late.example"));
    expectAsScan("appended");
    removeEntry(lists, ListKind::Domain, true, 1);
    expectAsScan("a first entry removed");
    removeEntry(lists, ListKind::Domain, true, 0);
    expectAsScan("a duplicate removed");
    lists.sortDomainsForSaving(true);
    lists.sortDomainsForSaving(false);
    expectAsScan("sorted");
    black.pop_back();
    black.pop_back();
    expectAsScan("taken off the end");
    lists.clear();
    black.push_back(entry(ListKind::Domain, "d.example"));
    expectAsScan("cleared and appended");
}

TEST_F(FilterListsTest, IpRangesInclusiveUnsignedWhiteFirst)
{
    EXPECT_EQ(lists.findIpRange(0x7F000001, true), (LookupMatch{LookupResult::NotFound, -1}));
    lists.sequence(ListKind::IpRange, false).push_back(entry(ListKind::IpRange, "10.0.0.0", "10.255.255.255"));
    lists.sequence(ListKind::IpRange, false).push_back(entry(ListKind::IpRange, "127.0.0.1", "255.255.255.255"));
    lists.sequence(ListKind::IpRange, true).push_back(entry(ListKind::IpRange, "10.1.2.3", "10.1.2.3"));
    EXPECT_EQ(lists.findIpRange(*parseDottedQuad("10.1.2.3"), false), (LookupMatch{LookupResult::InOtherList, 0}));
    EXPECT_EQ(lists.findIpRange(*parseDottedQuad("10.1.2.4"), false), (LookupMatch{LookupResult::InAskedList, 0}));
    EXPECT_EQ(lists.findIpRange(*parseDottedQuad("10.255.255.255"), true).result, LookupResult::InOtherList);
    EXPECT_EQ(
        lists.findIpRange(*parseDottedQuad("255.255.255.255"), false), (LookupMatch{LookupResult::InAskedList, 1}));
    EXPECT_EQ(lists.findIpRange(*parseDottedQuad("127.0.0.0"), false).result, LookupResult::NotFound);
}

TEST(IpBoundTest, ReadsLikeTheStoredBounds)
{
    EXPECT_EQ(ipBoundValue("1.2.3.4"), 0x01020304u);
    EXPECT_EQ(ipBoundValue("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ipBoundValue("1.2.3.4.5"), 0x01020304u) << "the rest after the third dot is the fourth part";
    EXPECT_EQ(ipBoundValue("1.2.3"), std::nullopt);
    EXPECT_EQ(ipBoundValue(""), std::nullopt);
    const ListEntry openBelow(6, "junk", "10.0.0.5", 0, "", "");
    EXPECT_TRUE(ipRangeContains(openBelow, 0));
    EXPECT_TRUE(ipRangeContains(openBelow, *parseDottedQuad("10.0.0.5")));
    const ListEntry noUpper(6, "0.0.0.0", "10.0", 0, "", "");
    EXPECT_FALSE(ipRangeContains(noUpper, 0));
}

TEST(IpBoundTest, StrictDottedQuadForNewInput)
{
    EXPECT_EQ(parseDottedQuad("192.168.0.1"), 0xC0A80001u);
    for (const char* bad :
        {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.x", "1..2.3", " 1.2.3.4", "1.2.3.4 ", "0001.2.3.4"})
        EXPECT_EQ(parseDottedQuad(bad), std::nullopt) << bad;
    EXPECT_EQ(formatDottedQuad(0xC0A80001u), "192.168.0.1");
}

TEST_F(FilterListsTest, CountryListHalf)
{
    EXPECT_EQ(lists.findCountry("", true), (LookupMatch{LookupResult::NotFound, -1}));
    lists.sequence(ListKind::Country, false).push_back(entry(ListKind::Country, "Narnia"));
    EXPECT_EQ(lists.findCountry("", true), (LookupMatch{LookupResult::NoKey, -1}));
    EXPECT_EQ(lists.findCountry("NARNIA", true), (LookupMatch{LookupResult::InOtherList, 0}));
    EXPECT_EQ(lists.findCountry("narnia", false), (LookupMatch{LookupResult::InAskedList, 0}));
    EXPECT_EQ(lists.findCountry("Oz", false).result, LookupResult::NotFound);
}

TEST(MatchPrimitivesTest, WordsAndFileTypes)
{
    const ListEntry word(4, "cheap pills", "", 0, "", "");
    EXPECT_TRUE(wordMatches(word, "Buy CHEAP Pills now"));
    EXPECT_FALSE(wordMatches(word, "cheap  pills"));
    const ListEntry type(5, "exe", "", 0, "", "");
    EXPECT_TRUE(fileTypeMatches(type, "setup.tar.EXE"));
    EXPECT_FALSE(fileTypeMatches(type, "exe.zip"));
    EXPECT_TRUE(fileTypeMatches(type, "exe"));
}

TEST(RecordMatchTest, CountsAndStampsToday)
{
    std::tm day{};
    day.tm_year = 2024 - 1900, day.tm_mon = 2, day.tm_mday = 5, day.tm_hour = 10;
    const SettableClock clock(oleDateFromLocal(day));
    ListSequence sequence{address("a@x")};
    FilterLists::recordMatch(sequence, 0, clock);
    FilterLists::recordMatch(sequence, 0, clock);
    EXPECT_EQ(sequence[0].receivedCount, 2);
    EXPECT_EQ(sequence[0].lastReceived, "2024.03.05");
}

} // namespace
} // namespace kvn
