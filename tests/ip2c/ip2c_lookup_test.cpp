// The IP-to-country lookup against the real SQLite3 ODBC driver, a database
// the builder made, a user odbc.ini and a registry in a temporary folder.
#include "analysis/ip2c_lookup.h"

#include "lists/registry_root.h"
#include "lists/settings.h"
#include "tests/ip2c/ip2c_test_support.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>

namespace kvn {
namespace {

using testing::CountingOdbc;
using testing::ipValue;
using testing::readWholeFile;
using testing::ScriptedUi;

constexpr const char* profile = "Default";
constexpr const char* downloadAddress = "https://download.test/IP2C.mdb";

ListEntry countryEntry(const std::string& name) { return ListEntry(7, name, "", 0, "2024.01.01", ""); }

class Ip2cLookupTest : public ::testing::Test {
protected:
    Ip2cLookupTest()
        : odbcIni_(folder_ / "odbc.ini"),
          registry_(registry::openFileRegistry(folder_ / "registry")),
          installDir_(folder_ / "install")
    {
        setRegistryRoot(productRegistryRoot(registry_.get()));
        EXPECT_TRUE(writeDword(profile, "Ip2Country", 1));
        std::filesystem::create_directory(installDir_);
    }
    ~Ip2cLookupTest() override { setRegistryRoot(productRegistryRoot()); }

    Ip2cLookup makeLookup() { return Ip2cLookup(odbc_, ui_, installDir_, profile, downloadAddress); }
    std::uint32_t storedUseCountry() { return readDword(profile, "Ip2Country", 99); }
    std::string databasePath() const { return installDir_ + "/IP2C.mdb"; }

    testing::TempFolder folder_;
    testing::OdbcIniFile odbcIni_;
    std::unique_ptr<registry::Registry> registry_;
    std::string installDir_;
    CountingOdbc odbc_;
    ScriptedUi ui_;
    FilterLists lists_;
};

// An engine started with "Ip2Country" on and a database in place.
class OpenIp2cLookupTest : public Ip2cLookupTest {
protected:
    OpenIp2cLookupTest()
    {
        testing::buildTestDatabase(installDir_);
        lookup_.openIp2cDatabase(true);
        EXPECT_TRUE(lookup_.isOpen());
        lists_.sequence(ListKind::Country, true).push_back(countryEntry("UNITED STATES"));
        lists_.sequence(ListKind::Country, true).push_back(countryEntry("Germany"));
        lists_.sequence(ListKind::Country, false).push_back(countryEntry("australia"));
        lists_.sequence(ListKind::Country, false).push_back(countryEntry("France"));
    }

    struct Answer {
        LookupResult result;
        int index;
        std::string country;
    };
    Answer find(std::uint32_t ip, bool askedWhite = true)
    {
        Answer answer{LookupResult::InAskedList, 99, "stale"};
        answer.result = lookup_.findCountry(lists_, askedWhite, ip, answer.index, answer.country);
        return answer;
    }

    Ip2cLookup lookup_ = makeLookup();
};

TEST_F(OpenIp2cLookupTest, FindsTheCountryAtBothEndsOfARange)
{
    for (const std::uint32_t ip : {ipValue(81, 0, 0, 0), ipValue(81, 0, 0, 77), ipValue(81, 0, 0, 255)}) {
        const Answer answer = find(ip);
        EXPECT_EQ(answer.result, LookupResult::InAskedList);
        EXPECT_EQ(answer.index, 1);
        EXPECT_EQ(answer.country, "GERMANY") << "differs from the entry \"Germany\" in letter case only";
    }
    const Answer next = find(ipValue(81, 0, 1, 0));
    EXPECT_EQ(next.country, "FRANCE");
    EXPECT_EQ(next.result, LookupResult::InOtherList);
    EXPECT_EQ(next.index, 1);
    EXPECT_EQ(find(ipValue(1, 0, 0, 255)).country, "AUSTRALIA");
}

TEST_F(OpenIp2cLookupTest, TheAskedPolarityOnlyDecidesWhichCodeMeansWhite)
{
    EXPECT_EQ(find(ipValue(8, 8, 8, 8), false).result, LookupResult::InOtherList);
    EXPECT_EQ(find(ipValue(1, 0, 0, 1), false).result, LookupResult::InAskedList);

    // On both lists: the white entry wins whatever is asked.
    lists_.sequence(ListKind::Country, false).push_back(countryEntry("united states"));
    const Answer asBlack = find(ipValue(8, 8, 8, 8), false);
    EXPECT_EQ(asBlack.result, LookupResult::InOtherList);
    EXPECT_EQ(asBlack.index, 0);
}

TEST_F(OpenIp2cLookupTest, AnAddressInAGapOrOutsideEveryRangeHasNoCountry)
{
    for (const std::uint32_t ip : {ipValue(10, 0, 0, 1), ipValue(81, 0, 2, 0), ipValue(0, 0, 0, 0),
             ipValue(255, 255, 255, 255), ipValue(8, 8, 7, 255)}) {
        const Answer answer = find(ip);
        EXPECT_EQ(answer.result, LookupResult::NoKey);
        EXPECT_EQ(answer.index, -1);
        EXPECT_EQ(answer.country, "");
    }
}

TEST_F(OpenIp2cLookupTest, ACountryOnNeitherListIsNotFound)
{
    lists_.sequence(ListKind::Country, true).clear();
    const Answer answer = find(ipValue(8, 8, 8, 8));
    EXPECT_EQ(answer.result, LookupResult::NotFound);
    EXPECT_EQ(answer.index, -1);
    EXPECT_EQ(answer.country, "UNITED STATES");
}

TEST_F(OpenIp2cLookupTest, BothCountryListsEmptyAnswersWithoutAQuery)
{
    lists_.clear();
    const int queriesBefore = odbc_.queries;
    const Answer answer = find(ipValue(8, 8, 8, 8));
    EXPECT_EQ(answer.result, LookupResult::NotFound);
    EXPECT_EQ(answer.index, -1);
    EXPECT_EQ(answer.country, "");
    EXPECT_EQ(odbc_.queries, queriesBefore);

    lists_.sequence(ListKind::Country, false).push_back(countryEntry("CHINA"));
    find(ipValue(8, 8, 8, 8));
    EXPECT_EQ(odbc_.queries, queriesBefore + 1) << "the counter sees the queries that are made";
}

TEST_F(OpenIp2cLookupTest, AClosedDatabaseAnswersNoKey)
{
    lookup_.close();
    EXPECT_FALSE(lookup_.isOpen());
    const int queriesBefore = odbc_.queries;
    EXPECT_EQ(find(ipValue(8, 8, 8, 8)).result, LookupResult::NoKey);
    EXPECT_EQ(odbc_.queries, queriesBefore);
}

TEST_F(OpenIp2cLookupTest, SwitchingOffClosesAndOnOpensAgain)
{
    lookup_.switchCountryFiltering(false);
    EXPECT_FALSE(lookup_.useCountry());
    EXPECT_FALSE(lookup_.isOpen());
    EXPECT_EQ(find(ipValue(8, 8, 8, 8)).result, LookupResult::NoKey);

    lookup_.switchCountryFiltering(true);
    EXPECT_TRUE(lookup_.useCountry());
    EXPECT_TRUE(lookup_.isOpen());
    EXPECT_EQ(find(ipValue(8, 8, 8, 8)).country, "UNITED STATES");
    EXPECT_EQ(odbc_.dataSourceWrites, 1) << "the data source written at start-up is used again";
}

TEST_F(OpenIp2cLookupTest, AQueryErrorAnswersNotFoundAndNeverMatchesAnEmptyEntry)
{
    testing::writeWholeFile(databasePath(), "this is not an SQLite database, just some bytes of garbage text");
    lists_.sequence(ListKind::Country, false).push_back(countryEntry(""));
    const Answer answer = find(ipValue(8, 8, 8, 8));
    EXPECT_EQ(answer.result, LookupResult::NotFound);
    EXPECT_EQ(answer.index, -1);
    EXPECT_EQ(answer.country, "");
}

TEST_F(Ip2cLookupTest, StartUpRegistersTheDataSourceAndOpens)
{
    testing::buildTestDatabase(installDir_);
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(true);
    EXPECT_TRUE(lookup.useCountry());
    EXPECT_TRUE(lookup.isOpen());
    EXPECT_EQ(storedUseCountry(), 1u);
    const std::string ini = readWholeFile(folder_ / "odbc.ini");
    EXPECT_NE(ini.find("[MS Access Database]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("SQLite3"), std::string::npos) << ini;
    EXPECT_NE(ini.find(databasePath()), std::string::npos) << ini;
}

TEST_F(Ip2cLookupTest, StartUpWithTheOptionOffTouchesNothing)
{
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(false);
    EXPECT_FALSE(lookup.useCountry());
    EXPECT_FALSE(lookup.isOpen());
    EXPECT_EQ(odbc_.dataSourceWrites + odbc_.connects, 0);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "odbc.ini"));
}

TEST_F(Ip2cLookupTest, AMissingDatabaseDeclinedSwitchesTheOptionOffAndSavesIt)
{
    ui_.expect("Error opening database. Download now?", MessageAnswer::No);
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(true);
    EXPECT_FALSE(lookup.useCountry());
    EXPECT_FALSE(lookup.isOpen());
    EXPECT_EQ(storedUseCountry(), 0u);
    EXPECT_EQ(ui_.shown().at(0).text,
        "Could not open IP-to-Country database. Possibly file missing\nWould you like to download it now?");
    EXPECT_EQ(ui_.shown().at(0).icon, MessageIcon::Error);
    EXPECT_EQ(ui_.shown().at(0).buttons, MessageButtons::YesNo);
    EXPECT_TRUE(ui_.opened().empty());
    EXPECT_EQ(odbc_.connects, 0);
}

TEST_F(Ip2cLookupTest, AMissingDatabaseAcceptedOpensTheDownloadAndWaitsForARestart)
{
    ui_.expect("Error opening database. Download now?", MessageAnswer::Yes).expect("Save to...", MessageAnswer::Ok);
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(true);
    EXPECT_TRUE(lookup.useCountry());
    EXPECT_FALSE(lookup.isOpen());
    EXPECT_EQ(storedUseCountry(), 1u);
    EXPECT_EQ(ui_.shown().at(1).text, "Please save this file in " + installDir_ + "/\nand then restart Outlook");
    EXPECT_EQ(ui_.shown().at(1).icon, MessageIcon::Warning);
    EXPECT_EQ(ui_.opened(), std::vector<std::string>{downloadAddress});
    EXPECT_FALSE(std::filesystem::exists(databasePath())) << "no empty database is created in its place";

    int index = 0;
    std::string country;
    lists_.sequence(ListKind::Country, true).push_back(countryEntry("CHINA"));
    EXPECT_EQ(lookup.findCountry(lists_, true, ipValue(8, 8, 8, 8), index, country), LookupResult::NoKey);
}

TEST_F(Ip2cLookupTest, ADataSourceThatCannotBeWrittenSwitchesTheOptionOffAndSavesIt)
{
    testing::buildTestDatabase(installDir_);
    odbc_.failDataSourceWrites = true;
    ui_.expect("Create DSN error", MessageAnswer::Ok);
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(true);
    EXPECT_EQ(ui_.shown().at(0).text, "Error on creating the DSN for the IP-to-Country database");
    EXPECT_EQ(ui_.shown().at(0).icon, MessageIcon::Error);
    EXPECT_FALSE(lookup.useCountry());
    EXPECT_FALSE(lookup.isOpen());
    EXPECT_EQ(storedUseCountry(), 0u);
    EXPECT_EQ(odbc_.connects, 0);
}

TEST_F(Ip2cLookupTest, AnOdbcIniInAMissingFolderCannotTakeTheDataSource)
{
    testing::buildTestDatabase(installDir_);
    const testing::OdbcIniFile unwritable(folder_ / "no-such-folder/odbc.ini");
    ui_.expect("Create DSN error", MessageAnswer::Ok);
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(true);
    EXPECT_FALSE(lookup.useCountry());
    EXPECT_EQ(storedUseCountry(), 0u);
}

TEST_F(Ip2cLookupTest, ALongDatabasePathIsRegisteredWhole)
{
    const std::string longFolder = installDir_ + "/" + std::string(120, 'a') + "/" + std::string(120, 'b');
    std::filesystem::create_directories(longFolder);
    testing::buildTestDatabase(longFolder);
    const std::string path = longFolder + "/IP2C.mdb";
    ASSERT_GT(path.size(), 250u);

    Ip2cLookup lookup = makeLookup();
    ASSERT_TRUE(lookup.ensureIp2cDsn(path));
    EXPECT_TRUE(odbc::realOdbc().userDataSourceExists("ms access database"));

    // The data source alone leads the driver to the file.
    odbc::Connected connected = odbc::realOdbc().connect("DSN=MS Access Database;");
    ASSERT_TRUE(connected.status.ok()) << connected.status.error();
    const odbc::FirstRow row
        = connected.connection->queryFirstRowText("SELECT * FROM ip_to_country WHERE code2='DE'", {}, 5);
    EXPECT_TRUE(row.found);
    EXPECT_EQ(row.text, "GERMANY");
}

TEST_F(Ip2cLookupTest, AnExistingDataSourceIsKeptAndTheCheckedFileStillOpens)
{
    testing::buildTestDatabase(installDir_);
    const std::string ini = "[MS Access Database]\nDriver=SQLite3\nDatabase=" + folder_.path() + "/moved/IP2C.mdb\n";
    testing::writeWholeFile(folder_ / "odbc.ini", ini);
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(true);
    EXPECT_EQ(odbc_.dataSourceWrites, 0);
    EXPECT_EQ(readWholeFile(folder_ / "odbc.ini"), ini);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "moved"));

    int index = 0;
    std::string country;
    lists_.sequence(ListKind::Country, true).push_back(countryEntry("france"));
    EXPECT_EQ(lookup.findCountry(lists_, true, ipValue(81, 0, 1, 9), index, country), LookupResult::InAskedList);
    EXPECT_EQ(country, "FRANCE");
}

TEST_F(Ip2cLookupTest, AConnectionThatFailsLeavesTheOptionOnAndAnswersNoKey)
{
    std::filesystem::create_directory(databasePath()); // opens for reading, but is no database
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(true);
    EXPECT_TRUE(lookup.useCountry());
    EXPECT_FALSE(lookup.isOpen());
    EXPECT_EQ(storedUseCountry(), 1u);
    EXPECT_EQ(odbc_.connects, 1);
}

TEST_F(Ip2cLookupTest, SwitchingOnWithoutTheFileMakesTheOfferAndDeclinedStaysOff)
{
    writeDword(profile, "Ip2Country", 1); // the options dialog already saved its box
    ui_.expect("Error opening database. Download now?", MessageAnswer::No);
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(false);
    lookup.switchCountryFiltering(true);
    EXPECT_FALSE(lookup.useCountry());
    EXPECT_EQ(storedUseCountry(), 0u);
    EXPECT_EQ(odbc_.connects, 0);
}

TEST_F(Ip2cLookupTest, SwitchingOnInAProfileThatNeverHadTheDataSourceWritesIt)
{
    testing::buildTestDatabase(installDir_);
    Ip2cLookup lookup = makeLookup();
    lookup.openIp2cDatabase(false);
    lookup.switchCountryFiltering(true);
    EXPECT_TRUE(lookup.useCountry());
    EXPECT_TRUE(lookup.isOpen());
    EXPECT_EQ(odbc_.dataSourceWrites, 1);
    int index = 0;
    std::string country;
    lists_.sequence(ListKind::Country, false).push_back(countryEntry("UNITED STATES"));
    EXPECT_EQ(lookup.findCountry(lists_, true, ipValue(8, 8, 8, 8), index, country), LookupResult::InOtherList);
}

// A database from elsewhere: its ranges may nest or overlap.
class ForeignIp2cLookupTest : public Ip2cLookupTest {
protected:
    ForeignIp2cLookupTest()
    {
        lists_.sequence(ListKind::Country, true).push_back(countryEntry("GERMANY"));
        lists_.sequence(ListKind::Country, false).push_back(countryEntry("UNITED STATES"));
    }

    // Opens a lookup on a table of these rows and answers whether it took
    // the table's ranges for disjoint.
    bool openOn(const std::vector<testing::TableRange>& rows)
    {
        std::filesystem::remove(databasePath());
        testing::writeRangeTable(installDir_, rows);
        lookup_.close();
        lookup_.openIp2cDatabase(true);
        EXPECT_TRUE(lookup_.isOpen());
        return lookup_.rangesDisjoint();
    }

    std::string countryAt(std::uint32_t ip)
    {
        int index = 0;
        std::string country;
        lookup_.findCountry(lists_, true, ip, index, country);
        return country;
    }

    Ip2cLookup lookup_ = makeLookup();
};

TEST_F(ForeignIp2cLookupTest, NestedRangesFindTheOuterRangeAroundTheInnerOne)
{
    ASSERT_FALSE(openOn({{ipValue(10, 0, 0, 0), ipValue(10, 255, 255, 255), "UNITED STATES"},
        {ipValue(10, 1, 0, 0), ipValue(10, 1, 0, 255), "GERMANY"}}));

    int index = 0;
    std::string country;
    EXPECT_EQ(lookup_.findCountry(lists_, true, ipValue(10, 2, 0, 1), index, country), LookupResult::InOtherList);
    EXPECT_EQ(country, "UNITED STATES") << "the inner range ends below the address; the outer one holds it";
    EXPECT_EQ(index, 0);
    EXPECT_EQ(countryAt(ipValue(10, 0, 0, 9)), "UNITED STATES");
    const std::string inner = countryAt(ipValue(10, 1, 0, 7));
    EXPECT_TRUE(inner == "GERMANY" || inner == "UNITED STATES") << inner;
    EXPECT_EQ(lookup_.findCountry(lists_, true, ipValue(11, 0, 0, 0), index, country), LookupResult::NoKey);
}

TEST_F(ForeignIp2cLookupTest, OnlyATableOfDisjointRangesTakesTheFasterQuery)
{
    const std::uint32_t a = ipValue(20, 0, 0, 0);
    EXPECT_TRUE(openOn({})) << "an empty table";
    EXPECT_TRUE(openOn({{a + 6, a + 9, "GERMANY"}, {a, a + 5, "FRANCE"}})) << "touching, stored out of order";
    EXPECT_EQ(countryAt(a + 5), "FRANCE");
    EXPECT_EQ(countryAt(a + 6), "GERMANY");
    EXPECT_EQ(countryAt(a + 10), "");

    EXPECT_FALSE(openOn({{a, a + 5, "FRANCE"}, {a + 5, a + 9, "GERMANY"}})) << "sharing one address";
    EXPECT_FALSE(openOn({{a, a + 5, "FRANCE"}, {a, a + 9, "GERMANY"}})) << "starting together";
    EXPECT_EQ(countryAt(a + 7), "GERMANY");
    EXPECT_FALSE(openOn({{a, a + 9, "FRANCE"}, {a + 5, a + 2, "GERMANY"}})) << "a range that runs backwards";
    EXPECT_EQ(countryAt(a + 7), "FRANCE");
    EXPECT_FALSE(openOn({{a, a + 9, "FRANCE"}, {a + 5, std::nullopt, "GERMANY"}})) << "a range without an end";
    EXPECT_EQ(countryAt(a + 7), "FRANCE");

    std::filesystem::create_directory(installDir_ + "/built");
    testing::buildTestDatabase(installDir_ + "/built");
    std::filesystem::rename(installDir_ + "/built/IP2C.mdb", databasePath());
    lookup_.close();
    lookup_.openIp2cDatabase(true);
    EXPECT_TRUE(lookup_.rangesDisjoint()) << "the builder's tables keep the faster query";
}

TEST_F(OpenIp2cLookupTest, AnotherConnectionWritesAndReadsWhileTheLookupIsOpen)
{
    ASSERT_EQ(find(ipValue(8, 8, 8, 8)).country, "UNITED STATES");

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &other), SQLITE_OK);
    sqlite3_busy_timeout(other, 0); // a lock held by the lookup fails the write at once
    char* message = nullptr;
    const int written = sqlite3_exec(
        other, "UPDATE ip_to_country SET country='CANADA' WHERE country='UNITED STATES'", nullptr, nullptr, &message);
    const std::string why = message ? message : "";
    sqlite3_free(message);
    sqlite3_stmt* read = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(other, "SELECT COUNT(*) FROM ip_to_country", -1, &read, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(read), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(read, 0), 4);
    sqlite3_finalize(read);
    sqlite3_close(other);
    ASSERT_EQ(written, SQLITE_OK) << why;

    EXPECT_EQ(find(ipValue(8, 8, 8, 8)).country, "CANADA") << "the lookup sees the change";
}

} // namespace
} // namespace kvn
