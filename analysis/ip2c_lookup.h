// The IP-to-country lookup: the ODBC data source "MS Access Database" for the
// database IP2C.mdb in the installation folder, opening and closing it, the
// offer to download a missing file, and the country of an address as a look-up
// result against the country lists. Switched by the option "Ip2Country".
//
// One object lives on the engine. Start-up, switching and closing run while
// no pass runs; findCountry runs on the pass's worker. No call ever ends a
// run: database and query errors only make findCountry answer "no decision".
#pragma once

#include "lists/filter_lists.h"
#include "lists/lookup_result.h"
#include "platform/core/ui.h"
#include "platform/odbc/odbc.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kvn {

inline constexpr std::string_view ip2cDataSourceName = "MS Access Database";
// The installed ODBC driver that reads the database (Debian's libsqliteodbc).
inline constexpr std::string_view ip2cDriverName = "SQLite3";
inline constexpr std::string_view ip2cFileName = "IP2C.mdb";

// Where the download offer sends the user; fixed when the system is built.
std::string ip2cDownloadAddress();

// installDir + "/IP2C.mdb"
std::string ip2cDatabasePath(std::string_view installDir);

// "ODBC;DSN=MS Access Database;DBQ=<path>;" with the attributes the SQLite3
// driver needs to open exactly that file and never create it.
std::string ip2cConnectString(std::string_view databasePath);

class Ip2cLookup {
public:
    // `profileSubKey` is the profile's key below the product key, where
    // "Ip2Country" is written when the feature turns itself off.
    Ip2cLookup(odbc::Odbc& odbc, Ui& ui, std::string installDir, std::string profileSubKey,
        std::string downloadAddress = ip2cDownloadAddress());
    ~Ip2cLookup();
    Ip2cLookup(const Ip2cLookup&) = delete;
    Ip2cLookup& operator=(const Ip2cLookup&) = delete;

    // True when the user data source exists or was written now. Its
    // attributes are built at whatever length the path has.
    bool ensureIp2cDsn(const std::string& databasePath);

    // Start-up with the stored "Ip2Country": when on, makes sure the data
    // source exists (else the "Create DSN error" message, and the option is
    // switched and saved off), checks the file (else the download offer;
    // declined switches and saves the option off) and connects. A failed
    // connection leaves the option on and the database closed.
    void openIp2cDatabase(bool useCountry);

    // Asks whether to download the database; on Yes tells where to save it,
    // opens the download address and answers true.
    bool offerIp2cDownload();

    // The options dialog confirmed "Use e-mail filtering by country" as `on`.
    // Off: closes the database. On: checks the file (a missing one makes the
    // download offer; declined writes "Ip2Country" = 0 and stays off), makes
    // sure the data source exists and connects; when the data source cannot
    // be written the option stays on with the database closed.
    void switchCountryFiltering(bool on);

    // Closes the connection (shutdown); the option keeps its value.
    void close();

    bool useCountry() const { return useCountry_; }
    bool isOpen() const { return connection_ != nullptr; }
    // True when the open database's ranges were found not to overlap when it
    // was opened, so that the faster query gives the same country as the
    // range test; false while it is closed.
    bool rangesDisjoint() const { return connection_ && rangesDisjoint_; }

    // The country of `ip` and its look-up against the country lists, white
    // first whatever is asked: NotFound without a query when both lists are
    // empty or when the query fails; NoKey when the database is closed or
    // has no country for the address; else InAskedList, InOtherList or
    // NotFound. `index` is the matching entry's position or -1; `country` the
    // name the database gave, or empty.
    LookupResult findCountry(
        const FilterLists& lists, bool askedWhite, std::uint32_t ip, int& index, std::string& country);

    // The query half of findCountry: the database's country for the address,
    // empty when the database is closed, when no range holds the address or
    // when the query fails (then `queryFailed` is set, when given).
    std::string countryOf(std::uint32_t ip, bool* queryFailed = nullptr);

private:
    bool databaseFileExists() const;
    // Connects and checks the table once, for the query findCountry uses.
    void connect();
    static bool rangesAreDisjoint(odbc::Connection& connection);
    void turnOffAndSave();

    odbc::Odbc& odbc_;
    Ui& ui_;
    std::string installDir_;
    std::string profileSubKey_;
    std::string downloadAddress_;
    bool useCountry_ = false;
    std::unique_ptr<odbc::Connection> connection_;
    bool rangesDisjoint_ = false;
};

} // namespace kvn
