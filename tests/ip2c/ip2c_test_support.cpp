// The counting ODBC wrapper and the test database; see ip2c_test_support.h.
#include "tests/ip2c/ip2c_test_support.h"

#include "tools/ip2c-build/csv_source.h"
#include "tools/ip2c-build/database_writer.h"

#include <gtest/gtest.h>

#include <odbcinst.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace kvn::testing {
namespace {

class CountingConnection final : public odbc::Connection {
public:
    CountingConnection(std::unique_ptr<odbc::Connection> real, int& queries) : real_(std::move(real)), queries_(queries)
    {
    }
    odbc::FirstRow queryFirstRowText(
        std::string_view sql, std::span<const std::uint32_t> parameters, int column) override
    {
        ++queries_;
        return real_->queryFirstRowText(sql, parameters, column);
    }

private:
    std::unique_ptr<odbc::Connection> real_;
    int& queries_;
};

} // namespace

bool CountingOdbc::userDataSourceExists(std::string_view name) { return odbc::realOdbc().userDataSourceExists(name); }

Status CountingOdbc::writeUserDataSource(
    std::string_view name, std::string_view driver, const std::vector<odbc::Attribute>& attributes)
{
    ++dataSourceWrites;
    if (failDataSourceWrites)
        return Status::failure("writes fail in this test");
    return odbc::realOdbc().writeUserDataSource(name, driver, attributes);
}

odbc::Connected CountingOdbc::connect(std::string_view connectString)
{
    ++connects;
    odbc::Connected connected = odbc::realOdbc().connect(connectString);
    if (connected.connection)
        connected.connection = std::make_unique<CountingConnection>(std::move(connected.connection), queries);
    return connected;
}

void buildTestDatabase(const std::string& folder)
{
    std::istringstream csv("1.0.0.0,1.0.0.255,AU\n"
                           "8.8.8.0,8.8.8.255,US\n"
                           "81.0.1.0,81.0.1.255,FR\n"
                           "81.0.0.0,81.0.0.255,DE\n");
    const ip2c::CsvRanges read = ip2c::readCsvRanges(csv, "test.csv", ip2c::CsvLayout::Detect, nullptr);
    ASSERT_TRUE(read.status.ok()) << read.status.error();
    const Status written = ip2c::writeIp2cDatabase(folder + "/IP2C.mdb", read.ranges, "csv", "test.csv", nullptr);
    ASSERT_TRUE(written.ok()) << written.error();
}

void writeRangeTable(const std::string& folder, const std::vector<TableRange>& rows)
{
    sqlite3* database = nullptr;
    const std::string path = folder + "/IP2C.mdb";
    ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
    std::string sql = "CREATE TABLE ip_to_country (ip_from INTEGER, ip_to INTEGER, source TEXT, code2 TEXT, "
                      "code3 TEXT, country TEXT);"
                      "CREATE INDEX ip_to_country_from ON ip_to_country (ip_from);";
    for (const TableRange& row : rows) {
        sql += "INSERT INTO ip_to_country VALUES (" + std::to_string(row.from) + ", "
            + (row.to ? std::to_string(*row.to) : std::string("NULL")) + ", 'elsewhere', '', '', '" + row.country
            + "');";
    }
    char* message = nullptr;
    const int result = sqlite3_exec(database, sql.c_str(), nullptr, nullptr, &message);
    const std::string why = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(database);
    ASSERT_EQ(result, SQLITE_OK) << why;
}

OdbcIniFile::OdbcIniFile(const std::string& path)
{
    if (const char* previous = std::getenv("ODBCINI")) {
        previous_ = previous;
        hadPrevious_ = true;
    }
    forgetCachedIni(path);
    ::setenv("ODBCINI", path.c_str(), 1);
}

// unixODBC's installer keeps what it read of odbc.ini by section and key,
// whichever file ODBCINI named, until the process writes through it. One write
// to a scratch file beside the new one empties that cache, so a data-source
// check never sees the test before. (The driver manager also remembers the
// driver of a data source it connected to; tests do not rely on changing it.)
void OdbcIniFile::forgetCachedIni(const std::string& path)
{
    const std::string scratch = path + ".scratch";
    ::setenv("ODBCINI", scratch.c_str(), 1);
    UWORD mode = ODBC_BOTH_DSN;
    SQLGetConfigMode(&mode);
    SQLSetConfigMode(ODBC_USER_DSN); // never the system's odbc.ini
    SQLWritePrivateProfileString("scratch", "written", "1", "odbc.ini");
    SQLSetConfigMode(mode);
    std::remove(scratch.c_str());
}

OdbcIniFile::~OdbcIniFile()
{
    if (hadPrevious_)
        ::setenv("ODBCINI", previous_.c_str(), 1);
    else
        ::unsetenv("ODBCINI");
}

} // namespace kvn::testing
