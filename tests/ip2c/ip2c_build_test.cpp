// The database builder: both CSV layouts, refusals with line numbers, the
// atomic replacement, and the build from Debian's GeoIP country data.
#include "lists/country_names.h"
#include "tests/support/temp_folder.h"
#include "tools/ip2c-build/csv_source.h"
#include "tools/ip2c-build/database_writer.h"
#include "tools/ip2c-build/geoip_source.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <sstream>

namespace kvn::ip2c {
namespace {

using testing::TempFolder;

CsvRanges readCsv(const std::string& text, CsvLayout layout = CsvLayout::Detect)
{
    std::istringstream input(text);
    return readCsvRanges(input, "ranges.csv", layout, nullptr);
}

// Every row of the table as "from-to country", in ip_from order.
std::vector<std::string> tableRows(const std::string& path)
{
    sqlite3* database = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(database, "SELECT * FROM ip_to_country ORDER BY ip_from", -1, &statement, nullptr);
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            rows.push_back(std::to_string(sqlite3_column_int64(statement, 0)) + "-"
                + std::to_string(sqlite3_column_int64(statement, 1)) + " "
                + reinterpret_cast<const char*>(sqlite3_column_text(statement, 5)));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return rows;
}

std::size_t filesIn(const std::string& folder)
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

TEST(CountryList, HasTheDialogsNamesWithDistinctCodes)
{
    const auto list = countryList();
    ASSERT_EQ(list.size(), 220u);
    EXPECT_EQ(list.front().name, "AFGHANISTAN");
    EXPECT_EQ(list.back().name, "ZIMBABWE");
    std::set<std::string_view> codes;
    std::set<std::string_view> names;
    for (const CountryName& country : list) {
        codes.insert(country.code);
        names.insert(country.name);
        EXPECT_EQ(countryNameForCode(country.code), country.name);
    }
    EXPECT_EQ(codes.size(), 220u);
    EXPECT_EQ(names.size(), 220u);
    EXPECT_EQ(countryNameForCode("kr"), "REPUBLIC OF KOREA");
    EXPECT_EQ(countryNameForCode("TL"), "EAST TIMOR");
    EXPECT_EQ(countryNameForCode("AX"), "");
}

TEST(CsvSource, ReadsTheClassicLayoutNamingCountriesAsTheListDoes)
{
    const CsvRanges read = readCsv("# IP to country\n"
                                   "\"16777216\",\"16777471\",\"AU\",\"AUS\",\"AUSTRALIA\"\r\n"
                                   "\n"
                                   "\"3758096384\",\"3758096639\",\"KR\",\"KOR\",\"KOREA, REPUBLIC OF\"\r\n"
                                   "3758096640,3758096895,ax,ALA,Aland Islands\n"
                                   "3758096896,3758097151,-,-,unassigned\n");
    ASSERT_TRUE(read.status.ok()) << read.status.error();
    EXPECT_EQ(read.layout, CsvLayout::Classic);
    ASSERT_EQ(read.ranges.size(), 3u);
    EXPECT_EQ(read.ranges[0].from, 16777216u);
    EXPECT_EQ(read.ranges[0].to, 16777471u);
    EXPECT_EQ(read.ranges[0].country, "AUSTRALIA");
    EXPECT_EQ(read.ranges[0].line, 2u);
    EXPECT_EQ(read.ranges[1].country, "REPUBLIC OF KOREA");
    EXPECT_EQ(read.ranges[1].code3, "KOR");
    EXPECT_EQ(read.ranges[2].code2, "AX");
    EXPECT_EQ(read.ranges[2].country, "ALAND ISLANDS");
    EXPECT_EQ(read.skippedRows, 1u);
}

TEST(CsvSource, ReadsTheRangesLayoutWithDottedAddresses)
{
    const CsvRanges read = readCsv("first,last,code\n"
                                   "1.0.0.0,1.0.0.255,AU\n"
                                   "1.0.1.0,1.0.3.255,CN\n"
                                   "2001:200::,2001:200:ffff:ffff:ffff:ffff:ffff:ffff,JP\n"
                                   "5.44.16.0,5.44.23.255,ZZ\n"
                                   "16777216,16777471,cw\n");
    ASSERT_TRUE(read.status.ok()) << read.status.error();
    EXPECT_EQ(read.layout, CsvLayout::Ranges);
    ASSERT_EQ(read.ranges.size(), 3u);
    EXPECT_EQ(read.ranges[0].from, 16777216u);
    EXPECT_EQ(read.ranges[1].to, 16778239u);
    EXPECT_EQ(read.ranges[1].country, "CHINA");
    EXPECT_EQ(read.ranges[1].code3, "CHN");
    EXPECT_EQ(read.ranges[2].country, "CURAÇAO") << "a code the list lacks keeps GeoIP's name, in capitals";
    EXPECT_EQ(read.skippedRows, 2u);
}

TEST(CsvSource, RefusesMalformedLinesWithTheirNumber)
{
    const std::pair<std::string, std::string> cases[] = {
        {"1.0.0.0,1.0.0.255,AU\n1.0.1.0,1.0.1.256,AU\n", "ranges.csv:2: \"1.0.1.256\" is not an IPv4 address"},
        {"1.0.0.0,1.0.0.255,AU\n\n1.0.1.0,1.0.1.255\n", "ranges.csv:3: expected 3 fields"},
        {"1,2,AU,AUS,AUSTRALIA\n3,4,AU\n", "ranges.csv:2: expected 5 fields"},
        {"1.0.0.9,1.0.0.1,AU\n", "ranges.csv:1: the first address is greater than the last"},
        {"1,2,AU,AUS,\"AUSTRALIA\n", "ranges.csv:1: a quoted field is not closed"},
        {"1,2,AUS\n", "ranges.csv:1: \"AUS\" is not a two-letter country code"},
        {"1,4294967296,AU\n", "ranges.csv:1: \"4294967296\" is not an IPv4 address"},
        {"1,2,AU\nfirst,last,code\n", "ranges.csv:2: \"first\" is not an IPv4 address"},
        {"1,2\n", "ranges.csv:1: expected 5 fields"},
        {"# nothing\n", "ranges.csv: no IPv4 country ranges found"},
    };
    for (const auto& [text, error] : cases) {
        const CsvRanges read = readCsv(text);
        EXPECT_FALSE(read.status.ok()) << text;
        EXPECT_EQ(read.status.error().substr(0, error.size()), error) << read.status.error();
    }
    const CsvRanges forced = readCsv("1,2,AU\n", CsvLayout::Classic);
    EXPECT_EQ(forced.status.error().substr(0, 30), "ranges.csv:1: expected 5 field");
}

TEST(CsvSource, ParsesAddressesStrictly)
{
    EXPECT_EQ(parseIpv4("0.0.0.0"), 0u);
    EXPECT_EQ(parseIpv4("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(parseIpv4("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(parseIpv4("10.0.0.10"), 167772170u);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1..3.4", "1.2.3.", "-1", "1.2.3.x", "12345678901", "+5"})
        EXPECT_FALSE(parseIpv4(bad).has_value()) << bad;
}

TEST(DatabaseWriter, WritesSortedRangesAndRefusesOverlapsNamingBothLines)
{
    TempFolder folder;
    const std::string path = folder / "IP2C.mdb";
    CsvRanges read = readCsv("3,4,DE\n1,2,AU\n");
    ASSERT_TRUE(read.status.ok());
    ASSERT_TRUE(writeIp2cDatabase(path, read.ranges, "csv", "ranges.csv", nullptr).ok());
    EXPECT_EQ(tableRows(path), (std::vector<std::string>{"1-2 AUSTRALIA", "3-4 GERMANY"}));

    CsvRanges overlapping = readCsv("10,20,DE\n30,40,FR\n20,25,AT\n");
    ASSERT_TRUE(overlapping.status.ok());
    const Status refused = writeIp2cDatabase(path, overlapping.ranges, "csv", "ranges.csv", nullptr);
    EXPECT_EQ(refused.error(), "ranges.csv:3: the range overlaps the one of ranges.csv:1");
}

TEST(DatabaseWriter, NeverReplacesAGoodDatabaseWithAFailedBuild)
{
    TempFolder folder;
    const std::string path = folder / "IP2C.mdb";
    ASSERT_TRUE(writeIp2cDatabase(path, readCsv("1,2,AU\n").ranges, "csv", "a.csv", nullptr).ok());
    const std::string good = testing::readWholeFile(path);

    EXPECT_FALSE(writeIp2cDatabase(path, readCsv("1,5,AU\n3,9,DE\n").ranges, "csv", "b.csv", nullptr).ok());
    EXPECT_FALSE(writeIp2cDatabase(path, {}, "csv", "c.csv", nullptr).ok());
    EXPECT_EQ(testing::readWholeFile(path), good);
    EXPECT_EQ(filesIn(folder.path()), 1u) << "no temporary file is left behind";

    ASSERT_TRUE(writeIp2cDatabase(path, readCsv("7,8,FR\n").ranges, "csv", "d.csv", nullptr).ok());
    EXPECT_EQ(tableRows(path), (std::vector<std::string>{"7-8 FRANCE"}));
    EXPECT_EQ(filesIn(folder.path()), 1u);

    const Status unwritable
        = writeIp2cDatabase(folder / "missing/IP2C.mdb", readCsv("1,2,AU\n").ranges, "csv", "e.csv", nullptr);
    EXPECT_FALSE(unwritable.ok());
}

TEST(GeoipSource, WalksDebiansCountryDataIntoDisjointNamedRanges)
{
    if (!std::filesystem::exists(defaultGeoipFile))
        GTEST_SKIP() << "geoip-database is not installed";
    std::vector<std::string> progress;
    const GeoipRanges read
        = readGeoipRanges(defaultGeoipFile, [&](const std::string& line) { progress.push_back(line); });
    ASSERT_TRUE(read.status.ok()) << read.status.error();
    ASSERT_GT(read.ranges.size(), 100000u);
    EXPECT_FALSE(progress.empty());
    bool sawGoogleDns = false;
    for (std::size_t i = 0; i < read.ranges.size(); ++i) {
        const IpRange& range = read.ranges[i];
        ASSERT_LE(range.from, range.to);
        if (i > 0) {
            ASSERT_GT(range.from, read.ranges[i - 1].to);
        }
        ASSERT_FALSE(range.country.empty());
        if (range.from <= 0x08080808u && 0x08080808u <= range.to) {
            EXPECT_EQ(range.country, "UNITED STATES");
            sawGoogleDns = true;
        }
        if (range.code2 == "KR") {
            EXPECT_EQ(range.country, "REPUBLIC OF KOREA");
        }
        if (range.code2 == "AX") {
            EXPECT_EQ(range.country, "ALAND ISLANDS");
        }
    }
    EXPECT_TRUE(sawGoogleDns);
    EXPECT_FALSE(readGeoipRanges("/nonexistent/GeoIP.dat", nullptr).status.ok());
}

} // namespace
} // namespace kvn::ip2c
