// The country rule of the second stage against a real IP2C.mdb (made by the
// builder, read through the SQLite3 ODBC driver), switched by "Ip2Country".
#include "analysis/ip2c_lookup.h"
#include "analysis/quarantined_mail.h"

#include "lists/registry_root.h"
#include "lists/settings.h"
#include "tests/analysis/classification_fixture.h"
#include "tests/ip2c/ip2c_test_support.h"
#include "tests/support/scripted_ui.h"

#include <gmock/gmock.h>

namespace kvn {
namespace {

using ::testing::ElementsAre;

std::string mailThrough(const std::string& ip)
{
    return "Received: from relay.example (relay.example [" + ip
        + "])\n\tby mx.home.example\nFrom: someone@abroad.example\nTo: me@home.example\nSubject: Hello\n\nHi.\n";
}

class CountryRuleTest : public testing::ClassificationTest {
protected:
    CountryRuleTest()
    {
        setRegistryRoot(productRegistryRoot(registry.get()));
        std::filesystem::create_directory(temp / "install");
        testing::buildTestDatabase(temp / "install");
        lookup.openIp2cDatabase(true);
        add(ListKind::Country, true, "Germany");
        add(ListKind::Country, false, "France");
        add(ListKind::IpRange, false, "81.0.0.100", "81.0.0.200");
        state.settings.useCountry = true;
        state.settings.processQuarantined = true;
    }
    ~CountryRuleTest() override { setRegistryRoot(productRegistryRoot()); }

    PassEnd pass() { return runPass(nullptr, &lookup); }

    testing::OdbcIniFile odbcIni{temp / "odbc.ini"};
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    testing::CountingOdbc odbc;
    testing::ScriptedUi ui;
    Ip2cLookup lookup{odbc, ui, temp / "install", "Default", "https://download.test/IP2C.mdb"};
};

StatRecord stat(std::int32_t category, std::int32_t reason, std::string message)
{
    return {testing::oleDateOf(2024, 3, 15, 12, 0), category, reason, std::move(message), {}};
}

TEST_F(CountryRuleTest, TheSendersCountryDecidesAfterTheIpRangesWhenCountryFilteringIsOn)
{
    ASSERT_TRUE(lookup.isOpen());
    deliver("m1.germany", mailThrough("81.0.0.7"), 4);
    deliver("m2.france", mailThrough("81.0.1.7"), 3);
    deliver("m3.range", mailThrough("81.0.0.150"), 2);
    deliver("m4.gap", mailThrough("10.0.0.1"), 1);
    ASSERT_EQ(pass(), PassEnd::Finished);

    EXPECT_EQ(placeOf("m1.germany"), (testing::Place{"Inbox", false}));
    EXPECT_EQ(placeOf("m2.france"), (testing::Place{"Trash", true}));
    EXPECT_EQ(placeOf("m3.range"), (testing::Place{"Trash", true})) << "an IP range decides before the country";
    EXPECT_EQ(placeOf("m4.gap"), (testing::Place{"KVN Quarantined", false})) << "no country known";
    EXPECT_THAT(statistics().accepted, ElementsAre(stat(2, 6, "Trusted country - GERMANY")));
    EXPECT_THAT(statistics().blocked,
        ElementsAre(stat(0, 6, "Blocked country - FRANCE"), stat(0, 5, "Blocked IP address - 81.0.0.150")));
    EXPECT_EQ(entry(ListKind::Country, true, "Germany").receivedCount, 1);
    EXPECT_EQ(entry(ListKind::Country, false, "France").receivedCount, 1);
}

TEST_F(CountryRuleTest, WithCountryFilteringOffTheDatabaseIsNeverAsked)
{
    state.settings.useCountry = false;
    const int queries = odbc.queries;
    deliver("m1.germany", mailThrough("81.0.0.7"));
    ASSERT_EQ(pass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m1.germany"), (testing::Place{"KVN Quarantined", false}));
    EXPECT_EQ(odbc.queries, queries);
    EXPECT_EQ(entry(ListKind::Country, true, "Germany").receivedCount, 0);
}

TEST_F(CountryRuleTest, LeftForTheQuarantineWindowTheCountryIsAProposedDecision)
{
    state.settings.processQuarantined = false;
    deliver("m1.germany", mailThrough("81.0.0.7"), 2);
    deliver("m2.france", mailThrough("81.0.1.7"), 1);
    ASSERT_EQ(pass(), PassEnd::Finished);

    EXPECT_EQ(placeOf("m1.germany"), (testing::Place{"KVN Quarantined", false}));
    EXPECT_EQ(placeOf("m2.france"), (testing::Place{"KVN Quarantined", false}));
    EXPECT_THAT(decisions(),
        ElementsAre(QuarantineDecision{"m1.germany", 6, "Trusted country - GERMANY", true},
            QuarantineDecision{"m2.france", 6, "Blocked country - FRANCE", false}));
    EXPECT_TRUE(statistics().accepted.empty() && statistics().blocked.empty() && statistics().quarantined.empty());
    EXPECT_EQ(entry(ListKind::Country, true, "Germany").receivedCount, 1);
    EXPECT_EQ(entry(ListKind::Country, false, "France").receivedCount, 1);
}

TEST_F(CountryRuleTest, ADatabaseWithNestedRangesGivesTheOuterCountryAroundTheInnerRange)
{
    lookup.close();
    std::filesystem::remove(temp / "install/IP2C.mdb");
    testing::writeRangeTable(temp / "install",
        {{10u << 24, (11u << 24) - 1, "FRANCE"},
            {(10u << 24) + (1u << 16), (10u << 24) + (1u << 16) + 255, "GERMANY"}});
    lookup.openIp2cDatabase(true);
    ASSERT_TRUE(lookup.isOpen());
    deliver("m1.outer", mailThrough("10.2.0.1"));
    ASSERT_EQ(pass(), PassEnd::Finished);
    EXPECT_EQ(placeOf("m1.outer"), (testing::Place{"Trash", true}));
    EXPECT_THAT(statistics().blocked, ElementsAre(stat(0, 6, "Blocked country - FRANCE")));
}

} // namespace
} // namespace kvn
