// What the IP-to-country tests share: a counting wrapper around the real
// ODBC layer, and an installation folder with a database the builder made.
#pragma once

#include "platform/odbc/odbc.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvn::testing {

// Passes every call to the real layer and counts them; writes of data
// sources can be made to fail.
class CountingOdbc final : public odbc::Odbc {
public:
    int connects = 0;
    int queries = 0;
    int dataSourceWrites = 0;
    bool failDataSourceWrites = false;

    bool userDataSourceExists(std::string_view name) override;
    Status writeUserDataSource(
        std::string_view name, std::string_view driver, const std::vector<odbc::Attribute>& attributes) override;
    odbc::Connected connect(std::string_view connectString) override;
};

// a.b.c.d as the lookup's number.
constexpr std::uint32_t ipValue(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    return a * 16777216u + b * 65536u + c * 256u + d;
}

// Builds IP2C.mdb in `folder` with the builder, from these ranges:
//   1.0.0.0-1.0.0.255 AUSTRALIA, 8.8.8.0-8.8.8.255 UNITED STATES,
//   81.0.0.0-81.0.0.255 GERMANY, 81.0.1.0-81.0.1.255 FRANCE
// and nothing else, so 10.0.0.1 or 81.0.2.0 lie in gaps.
void buildTestDatabase(const std::string& folder);

// One row of a table written by hand, as a database from elsewhere may hold
// it: ranges may overlap, run backwards or have no end.
struct TableRange {
    std::uint32_t from;
    std::optional<std::uint32_t> to;
    std::string country;
};

// Writes IP2C.mdb in `folder` directly through SQLite, with the columns in
// the builder's order, an index on ip_from that is not unique, and the rows in
// the order given.
void writeRangeTable(const std::string& folder, const std::vector<TableRange>& rows);

// Points ODBCINI at a file for the lifetime of the object.
class OdbcIniFile {
public:
    explicit OdbcIniFile(const std::string& path);
    ~OdbcIniFile();
    OdbcIniFile(const OdbcIniFile&) = delete;
    OdbcIniFile& operator=(const OdbcIniFile&) = delete;

private:
    static void forgetCachedIni(const std::string& path);

    std::string previous_;
    bool hadPrevious_ = false;
};

} // namespace kvn::testing
