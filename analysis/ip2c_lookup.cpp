// The IP-to-country lookup over ODBC; see ip2c_lookup.h.
#include "analysis/ip2c_lookup.h"

#include "lists/settings.h"

#include <fstream>
#include <vector>

#ifndef KVN_IP2C_DOWNLOAD_ADDRESS
#error "KVN_IP2C_DOWNLOAD_ADDRESS is a setting of the build (see analysis/CMakeLists.txt)"
#endif

namespace kvn {
namespace {

constexpr std::string_view useCountryValue = "Ip2Country";
constexpr int countryColumn = 5;

// The range test as written for any table: the first row whose range holds
// the address. On a table whose ranges overlap it is the only right query.
// Both markers take the address.
constexpr std::string_view anyRangeQuery = "SELECT * FROM ip_to_country WHERE ip_from<=? AND ip_to>=?";

// On a table of disjoint ranges the one range that can hold the address is
// the one with the greatest ip_from not above it, found through the index on
// ip_from, and it holds the address when its ip_to reaches it. This reads one
// index entry and one row where the range test scans every row below the
// address, which is slowest for addresses in no range. Both markers take the
// address.
constexpr std::string_view disjointRangeQuery = "SELECT * FROM (SELECT * FROM ip_to_country WHERE ip_from<=? "
                                                "ORDER BY ip_from DESC LIMIT 1) WHERE ip_to>=?";

// One pass over the table, with a look through the index on ip_from at each
// row: a row, when it has no end or ends before it starts, or when another
// range starts inside it (an overlap, or two ranges starting at the same
// address). Any such row makes the faster query unsafe. (A running maximum
// of ip_to in a window over the rows sorted by ip_from gives the same answer
// at about twice the cost.)
constexpr std::string_view overlapQuery
    = "SELECT a.ip_from FROM ip_to_country a WHERE a.ip_to IS NULL OR a.ip_from>a.ip_to OR EXISTS (SELECT 1 FROM "
      "ip_to_country b WHERE b.ip_from>=a.ip_from AND b.ip_from<=a.ip_to AND b.rowid<>a.rowid) LIMIT 1";

std::vector<odbc::Attribute> dataSourceAttributes(const std::string& databasePath)
{
    return {
        {"DSN", std::string(ip2cDataSourceName)},
        {"DBQ", databasePath},
        {"FIL", "MicrosoftAccess"},
        // What the SQLite3 driver reads: the file, and never to create it when missing.
        {"Database", databasePath},
        {"NoCreat", "1"},
    };
}

} // namespace

std::string ip2cDownloadAddress() { return KVN_IP2C_DOWNLOAD_ADDRESS; }

std::string ip2cDatabasePath(std::string_view installDir)
{
    std::string path(installDir);
    path += '/';
    path += ip2cFileName;
    return path;
}

std::string ip2cConnectString(std::string_view databasePath)
{
    // Naming the file here as well means a data source left over from another
    // installation folder still opens the database this one checked.
    const std::string path(databasePath);
    return "ODBC;DSN=" + std::string(ip2cDataSourceName) + ";DBQ=" + path + ";Database=" + path + ";NoCreat=1;";
}

Ip2cLookup::Ip2cLookup(
    odbc::Odbc& odbc, Ui& ui, std::string installDir, std::string profileSubKey, std::string downloadAddress)
    : odbc_(odbc),
      ui_(ui),
      installDir_(std::move(installDir)),
      profileSubKey_(std::move(profileSubKey)),
      downloadAddress_(std::move(downloadAddress))
{
}

Ip2cLookup::~Ip2cLookup() = default;

bool Ip2cLookup::ensureIp2cDsn(const std::string& databasePath)
{
    if (odbc_.userDataSourceExists(ip2cDataSourceName))
        return true;
    return odbc_.writeUserDataSource(ip2cDataSourceName, ip2cDriverName, dataSourceAttributes(databasePath)).ok();
}

void Ip2cLookup::openIp2cDatabase(bool useCountry)
{
    useCountry_ = useCountry;
    connection_.reset();
    if (!useCountry_)
        return;
    if (!ensureIp2cDsn(ip2cDatabasePath(installDir_))) {
        ui_.showMessage({"Error on creating the DSN for the IP-to-Country database", "Create DSN error",
            MessageIcon::Error, MessageButtons::Ok, 0});
        turnOffAndSave();
        return;
    }
    if (!databaseFileExists()) {
        // Accepted, the database opens at the next start, once the user saved it.
        if (!offerIp2cDownload())
            turnOffAndSave();
        return;
    }
    connect();
}

bool Ip2cLookup::offerIp2cDownload()
{
    const MessageAnswer answer = ui_.showMessage(
        {"Could not open IP-to-Country database. Possibly file missing\nWould you like to download it now?",
            "Error opening database. Download now?", MessageIcon::Error, MessageButtons::YesNo, 0});
    if (answer != MessageAnswer::Yes)
        return false;
    ui_.showMessage({"Please save this file in " + installDir_ + "/\nand then restart Outlook", "Save to...",
        MessageIcon::Warning, MessageButtons::Ok, 0});
    ui_.openWithShell(downloadAddress_, installDir_ + "/");
    return true;
}

void Ip2cLookup::switchCountryFiltering(bool on)
{
    if (on == useCountry_)
        return;
    if (!on) {
        connection_.reset();
        useCountry_ = false;
        return;
    }
    if (!databaseFileExists()) {
        // A connection now would find no file; an accepted download is used from the next start.
        if (offerIp2cDownload())
            useCountry_ = true;
        else
            turnOffAndSave();
        return;
    }
    useCountry_ = true;
    // A profile that never started with the option on has no data source yet,
    // and without one the connection could not open until the next start.
    if (ensureIp2cDsn(ip2cDatabasePath(installDir_)))
        connect();
}

void Ip2cLookup::close() { connection_.reset(); }

LookupResult Ip2cLookup::findCountry(
    const FilterLists& lists, bool askedWhite, std::uint32_t ip, int& index, std::string& country)
{
    country.clear();
    index = -1;
    if (lists.sequence(ListKind::Country, true).empty() && lists.sequence(ListKind::Country, false).empty())
        return LookupResult::NotFound;
    if (!connection_)
        return LookupResult::NoKey;
    bool queryFailed = false;
    country = countryOf(ip, &queryFailed);
    if (queryFailed)
        return LookupResult::NotFound; // no country known, and no entry may match that
    if (country.empty())
        return LookupResult::NoKey;

    const LookupMatch match = lists.findCountry(country, askedWhite);
    index = match.position;
    return match.result;
}

std::string Ip2cLookup::countryOf(std::uint32_t ip, bool* queryFailed)
{
    if (queryFailed)
        *queryFailed = false;
    if (!connection_)
        return {};
    const std::uint32_t address[] = {ip, ip};
    odbc::FirstRow row
        = connection_->queryFirstRowText(rangesDisjoint_ ? disjointRangeQuery : anyRangeQuery, address, countryColumn);
    if (!row.status.ok()) {
        if (queryFailed)
            *queryFailed = true;
        return {};
    }
    return row.found ? std::move(row.text) : std::string();
}

bool Ip2cLookup::databaseFileExists() const
{
    const std::ifstream file(ip2cDatabasePath(installDir_), std::ios::binary);
    return file.is_open();
}

void Ip2cLookup::connect()
{
    odbc::Connected connected = odbc_.connect(ip2cConnectString(ip2cDatabasePath(installDir_)));
    connection_ = std::move(connected.connection);
    rangesDisjoint_ = connection_ && rangesAreDisjoint(*connection_);
}

bool Ip2cLookup::rangesAreDisjoint(odbc::Connection& connection)
{
    // A check that cannot run leaves the range test, which is right on any table.
    const odbc::FirstRow row = connection.queryFirstRowText(overlapQuery, {}, 0);
    return row.status.ok() && !row.found;
}

void Ip2cLookup::turnOffAndSave()
{
    useCountry_ = false;
    connection_.reset();
    static_cast<void>(writeDword(profileSubKey_, useCountryValue, 0));
}

} // namespace kvn
