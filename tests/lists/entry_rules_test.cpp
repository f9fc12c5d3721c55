// The add-item rules: splitting, checks and normalisation of typed entries,
// and the presence rules that decide what is already on a list.
#include "lists/entry_presence.h"
#include "lists/entry_rules.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

std::vector<std::string> valuesOf(const AddItemInput& input)
{
    std::vector<std::string> values;
    for (const EntryTexts& entry : input.entries)
        values.push_back(entry.value);
    return values;
}

std::string refusalOf(ListKind kind, std::string_view first, std::string_view second = {})
{
    const AddItemInput input = readAddItemInput(kind, first, second);
    EXPECT_TRUE(input.entries.empty() || !input.refusal);
    return input.refusal ? input.refusal->title : "accepted";
}

TEST(EntryRules, AddressesPairWithNamesAndAreLowerCased)
{
    const AddItemInput input = readAddItemInput(ListKind::Address, "Ann Smith", "Ann@Example.ORG , bob@b.example");
    ASSERT_FALSE(input.refusal);
    EXPECT_EQ(input.entries, (std::vector<EntryTexts>{{"Ann Smith", "ann@example.org"}, {"", "bob@b.example"}}));
    // Surplus names are dropped.
    EXPECT_EQ(
        readAddItemInput(ListKind::Address, "A, B", "a@x.org").entries, (std::vector<EntryTexts>{{"A", "a@x.org"}}));
}

TEST(EntryRules, AddressesThatCannotBeAnAddressAreRefused)
{
    for (const char* bad : {"@", "a@", "a@b c", "@example.org", "a@example", "a.b@example", "a@b.c,", "ab.c"})
        EXPECT_EQ(refusalOf(ListKind::Address, "", bad), "Invalid address") << bad;
    EXPECT_EQ(readAddItemInput(ListKind::Address, "", "a@b.c, nope").refusal,
        (InputRefusal{"nope is not a valid e-mail address.\nPlease try again!", "Invalid address"}));
    EXPECT_EQ(refusalOf(ListKind::Address, "Name", "  "), "Second field not set");
    EXPECT_EQ(refusalOf(ListKind::Address, "", "x.y@a.b"), "accepted");
}

TEST(EntryRules, DomainsWordsAndFileTypesAreNormalised)
{
    EXPECT_EQ(valuesOf(readAddItemInput(ListKind::Domain, "@Spam.biz, Other .Example")),
        (std::vector<std::string>{"spam.biz", "other.example"}));
    EXPECT_EQ(valuesOf(readAddItemInput(ListKind::Word, "Cheap Pills , VIAGRA")),
        (std::vector<std::string>{"cheap pills", "viagra"}));
    EXPECT_EQ(valuesOf(readAddItemInput(ListKind::FileType, ".EXE, s c r")), (std::vector<std::string>{"exe", "scr"}));
    // Empty pieces reach the Add command, which skips them.
    EXPECT_EQ(valuesOf(readAddItemInput(ListKind::Word, "a,,b,")), (std::vector<std::string>{"a", "", "b", ""}));
    for (const ListKind kind : {ListKind::Domain, ListKind::Word, ListKind::FileType}) {
        EXPECT_EQ(refusalOf(kind, ""), "Field not set");
        EXPECT_EQ(refusalOf(kind, "   "), "Field not set") << "a field of blanks is not filled in";
    }
}

TEST(EntryRules, IpRangesAreCheckedNumerically)
{
    EXPECT_EQ(readAddItemInput(ListKind::IpRange, "10.0.0.9", "10.0.0.10").entries,
        (std::vector<EntryTexts>{{"10.0.0.9", "10.0.0.10"}}));
    EXPECT_EQ(refusalOf(ListKind::IpRange, "10.0.0.5", "10.0.0.5"), "accepted");
    EXPECT_EQ(refusalOf(ListKind::IpRange, "10.0.0.10", "10.0.0.9"), "Invalid range");
    EXPECT_EQ(refusalOf(ListKind::IpRange, "10.0.0", "10.0.0.9"), "Invalid IP");
    EXPECT_EQ(refusalOf(ListKind::IpRange, "10.0.0.1", ""), "Invalid IP");
}

TEST(EntryRules, CountriesComeFromTheCountryList)
{
    EXPECT_EQ(valuesOf(readAddItemInput(ListKind::Country, "puerto Rico")), (std::vector<std::string>{"PUERTO RICO"}));
    EXPECT_EQ(refusalOf(ListKind::Country, "NOWHERE"), "Unknown country");
    EXPECT_EQ(refusalOf(ListKind::Country, ""), "Country not selected");
}

class EntryPresence : public ::testing::Test {
protected:
    void add(bool white, ListKind kind, std::string value, std::string extra = {})
    {
        lists.sequence(kind, white).push_back(ListEntry(listKindCode(kind), value, extra, 0, "2024.01.01", ""));
    }
    LookupMatch find(bool white, ListKind kind, std::string value, std::string extra = {})
    {
        return findForAdd(lists, white, kind, {std::move(value), std::move(extra)});
    }

    FilterLists lists;
};

TEST_F(EntryPresence, ContainedWordsAndDomainsArePresent)
{
    add(true, ListKind::Word, "cheap");
    add(true, ListKind::Word, "free money");
    EXPECT_EQ(find(true, ListKind::Word, "cheap pills"), (LookupMatch{LookupResult::InAskedList, 0}));
    EXPECT_EQ(find(true, ListKind::Word, "money"), (LookupMatch{LookupResult::NotFound, -1}));
    add(false, ListKind::Domain, "other.example");
    add(false, ListKind::Domain, "spam.biz");
    EXPECT_EQ(find(true, ListKind::Domain, "mail.spam.biz"), (LookupMatch{LookupResult::InOtherList, 1}));
    EXPECT_EQ(find(true, ListKind::Word, ""), (LookupMatch{LookupResult::NoKey, -1}));
    EXPECT_EQ(find(true, ListKind::Word, "  "), (LookupMatch{LookupResult::NoKey, -1}));
}

TEST_F(EntryPresence, RangesAreHeldWholeOrOverlap)
{
    add(true, ListKind::IpRange, "10.0.0.0", "10.0.0.255");
    EXPECT_EQ(find(true, ListKind::IpRange, "10.0.0.5", "10.0.0.9").result, LookupResult::InAskedList);
    EXPECT_EQ(find(true, ListKind::IpRange, "10.0.0.5", "10.0.1.9").result, LookupResult::NotFound);
    add(false, ListKind::IpRange, "10.0.0.8", "10.0.1.0");
    EXPECT_EQ(find(true, ListKind::IpRange, "10.0.1.0", "10.0.1.9").result, LookupResult::InOtherList);
    EXPECT_EQ(find(true, ListKind::IpRange, "10.0.1.1", "10.0.1.9").result, LookupResult::NotFound);
}

TEST_F(EntryPresence, AddressesFileTypesAndCountriesCompareWhole)
{
    insertAddressEntry(lists, false, ListEntry(2, "", "ann@example.org", 0, "", ""));
    add(true, ListKind::FileType, "exe");
    add(false, ListKind::Country, "CHAD");
    EXPECT_EQ(find(true, ListKind::Address, "", "ann@example.org").result, LookupResult::InOtherList);
    EXPECT_EQ(find(true, ListKind::FileType, "EXE").result, LookupResult::InAskedList);
    EXPECT_EQ(find(true, ListKind::FileType, "ex").result, LookupResult::NotFound);
    EXPECT_EQ(find(false, ListKind::Country, "chad").result, LookupResult::InAskedList);
}

TEST(EntryPresenceTexts, AreTheAddCommandsTexts)
{
    EXPECT_EQ(alreadyPresentText(ListKind::Address, false, {"", "a@b.c"}),
        "This e-mail address - a@b.c - already exists in your Black List");
    EXPECT_EQ(inOtherListText(ListKind::Domain, true, {"spam.biz", ""}),
        "This domain - spam.biz - is currently blocked (in Black List).\n"
        "Would you like to move this domain to the White List now?");
    EXPECT_EQ(inOtherListText(ListKind::Word, false, {"hi", ""}),
        "This word/expression - hi - is currently trusted.\nWould you like to move this word/expression to the "
        "Black List now?");
    EXPECT_EQ(inOtherListText(ListKind::IpRange, true, {"1.1.1.1", "1.1.1.2"}),
        "This IP range or a part of it is already contained in the blocked list");
    EXPECT_EQ(inOtherListText(ListKind::Country, false, {"CHAD", ""}),
        "This country is currently trusted.\nWould you like to move this country to the Black List now?");
}

} // namespace
} // namespace kvn
