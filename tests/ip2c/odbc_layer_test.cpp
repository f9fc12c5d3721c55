// The unixODBC layer on its own: data sources in a temporary odbc.ini, and
// queries through the SQLite3 driver.
#include "platform/odbc/odbc.h"

#include "tests/ip2c/ip2c_test_support.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kvn::odbc {
namespace {

class OdbcLayerTest : public ::testing::Test {
protected:
    OdbcLayerTest() { testing::buildTestDatabase(folder_.path()); }

    std::unique_ptr<Connection> connectToTestDatabase(std::string_view prefix = "")
    {
        Connected connected = realOdbc().connect(
            std::string(prefix) + "Driver=SQLite3;Database=" + folder_.path() + "/IP2C.mdb;NoCreat=1;");
        EXPECT_TRUE(connected.status.ok()) << connected.status.error();
        return std::move(connected.connection);
    }

    testing::TempFolder folder_;
    testing::OdbcIniFile odbcIni_{folder_ / "odbc.ini"};
};

TEST_F(OdbcLayerTest, WritesFindsAndReplacesUserDataSources)
{
    EXPECT_FALSE(realOdbc().userDataSourceExists("Korvane Test"));
    ASSERT_TRUE(realOdbc().writeUserDataSource("Korvane Test", "SQLite3", {{"Database", "/one"}}).ok());
    ASSERT_TRUE(realOdbc().writeUserDataSource("Other", "SQLite3", {{"Database", "/two"}}).ok());
    EXPECT_TRUE(realOdbc().userDataSourceExists("KORVANE test"));
    EXPECT_FALSE(realOdbc().userDataSourceExists("Korvane"));

    ASSERT_TRUE(realOdbc().writeUserDataSource("Korvane Test", "SQLite3", {{"Database", "/three"}}).ok());
    const std::string ini = testing::readWholeFile(folder_ / "odbc.ini");
    EXPECT_EQ(ini.find("/one"), std::string::npos) << ini;
    EXPECT_NE(ini.find("/three"), std::string::npos) << ini;
    EXPECT_NE(ini.find("/two"), std::string::npos) << ini;
}

TEST_F(OdbcLayerTest, RefusesWhatOdbcIniCannotHold)
{
    EXPECT_FALSE(realOdbc().writeUserDataSource("Bad", "SQLite3", {{"Database", "/a\n[Injected]"}}).ok());
    EXPECT_FALSE(realOdbc().writeUserDataSource("Bad\nName", "SQLite3", {}).ok());
    EXPECT_FALSE(realOdbc().writeUserDataSource("", "SQLite3", {}).ok());
    EXPECT_FALSE(realOdbc().userDataSourceExists("Bad"));
    EXPECT_FALSE(realOdbc().userDataSourceExists("Injected"));
}

TEST_F(OdbcLayerTest, ReadsTheAskedColumnOfTheFirstRowOnly)
{
    const std::unique_ptr<Connection> connection = connectToTestDatabase("ODBC;");
    ASSERT_TRUE(connection);
    const FirstRow first = connection->queryFirstRowText("SELECT * FROM ip_to_country ORDER BY ip_from DESC", {}, 5);
    EXPECT_TRUE(first.status.ok());
    EXPECT_TRUE(first.found);
    EXPECT_EQ(first.text, "FRANCE");
    const FirstRow code = connection->queryFirstRowText("SELECT * FROM ip_to_country ORDER BY ip_from", {}, 3);
    EXPECT_EQ(code.text, "AU");

    const FirstRow none = connection->queryFirstRowText("SELECT * FROM ip_to_country WHERE ip_from < 0", {}, 5);
    EXPECT_TRUE(none.status.ok());
    EXPECT_FALSE(none.found);
}

TEST_F(OdbcLayerTest, ReadsLongTextsWholeAndNullAsEmpty)
{
    const std::unique_ptr<Connection> connection = connectToTestDatabase();
    ASSERT_TRUE(connection);
    const FirstRow longText = connection->queryFirstRowText("SELECT 1, hex(zeroblob(1000))", {}, 1);
    EXPECT_TRUE(longText.status.ok()) << longText.status.error();
    EXPECT_EQ(longText.text, std::string(2000, '0'));
    const FirstRow null = connection->queryFirstRowText("SELECT NULL", {}, 0);
    EXPECT_TRUE(null.found);
    EXPECT_EQ(null.text, "");
}

TEST_F(OdbcLayerTest, ReportsFailedQueriesAndConnections)
{
    const std::unique_ptr<Connection> connection = connectToTestDatabase();
    ASSERT_TRUE(connection);
    const FirstRow failed = connection->queryFirstRowText("SELECT * FROM no_such_table", {}, 0);
    EXPECT_FALSE(failed.status.ok());
    EXPECT_NE(failed.status.error().find("no_such_table"), std::string::npos) << failed.status.error();
    EXPECT_TRUE(connection->queryFirstRowText("SELECT 1", {}, 0).found) << "the connection still works";

    const Connected unknown = realOdbc().connect("DSN=No Such Source;");
    EXPECT_FALSE(unknown.status.ok());
    EXPECT_FALSE(unknown.connection);
    const Connected missingFile
        = realOdbc().connect("Driver=SQLite3;Database=" + folder_.path() + "/none.db;NoCreat=1;");
    EXPECT_FALSE(missingFile.status.ok());
    EXPECT_FALSE(std::filesystem::exists(folder_ / "none.db"));
}

TEST_F(OdbcLayerTest, RunsOnePreparedStatementWithChangingParameters)
{
    const std::unique_ptr<Connection> connection = connectToTestDatabase();
    ASSERT_TRUE(connection);
    constexpr std::string_view sql = "SELECT * FROM ip_to_country WHERE ip_from<=? AND ip_to>=?";
    const std::uint32_t germany[] = {testing::ipValue(81, 0, 0, 9), testing::ipValue(81, 0, 0, 9)};
    const std::uint32_t france[] = {testing::ipValue(81, 0, 1, 9), testing::ipValue(81, 0, 1, 9)};
    const std::uint32_t top[] = {0xFFFFFFFFu, 0xFFFFFFFFu};
    EXPECT_EQ(connection->queryFirstRowText(sql, germany, 5).text, "GERMANY");
    EXPECT_EQ(connection->queryFirstRowText(sql, france, 5).text, "FRANCE");
    EXPECT_FALSE(connection->queryFirstRowText(sql, top, 5).found) << "parameters above 2^31 stay unsigned";
    EXPECT_EQ(connection->queryFirstRowText("SELECT count(*) FROM ip_to_country", {}, 0).text, "4");
    EXPECT_EQ(connection->queryFirstRowText(sql, germany, 5).text, "GERMANY");
}

} // namespace
} // namespace kvn::odbc
