// The ODBC services the system needs: user data sources in the user's
// odbc.ini, connections by connect string, and the first row of a query.
// The real layer is unixODBC; tests wrap it to count or fail calls.
#pragma once

#include "platform/core/status.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvn::odbc {

// One "keyword=value" attribute of a data source.
struct Attribute {
    std::string keyword;
    std::string value;
};

// What a query gave: a failed status when it could not be run; otherwise
// whether it had a row and, if so, the asked column of its first row.
struct FirstRow {
    Status status = Status::success();
    bool found = false;
    std::string text; // empty for a NULL value
};

// An open connection; destroying it disconnects. Used by one thread at a time.
class Connection {
public:
    virtual ~Connection() = default;

    // Runs the statement as a forward-only result set, reads the column
    // (counted from 0) of the first row as text and closes the result set.
    // Later rows are never fetched. The parameters fill the statement's "?"
    // markers in order, as unsigned 32-bit numbers. The connection keeps the
    // last statement prepared, so running the same text again with other
    // parameters skips parsing and planning it.
    virtual FirstRow queryFirstRowText(std::string_view sql, std::span<const std::uint32_t> parameters, int column) = 0;
};

struct Connected {
    Status status = Status::success();
    std::unique_ptr<Connection> connection; // set exactly when status is ok
};

class Odbc {
public:
    virtual ~Odbc() = default;

    // True when the user's odbc.ini ($ODBCINI, else ~/.odbc.ini) has a data
    // source of that name (compared without regard to letter case).
    virtual bool userDataSourceExists(std::string_view name) = 0;

    // Writes the user data source `name` for the installed driver `driver`
    // with the attributes, replacing one of the same name. Keywords and
    // values may be of any length; a line break in either is refused, since
    // odbc.ini could not hold it.
    virtual Status writeUserDataSource(
        std::string_view name, std::string_view driver, const std::vector<Attribute>& attributes)
        = 0;

    // Connects without prompting. A leading "ODBC;" (the form database
    // classes write) is dropped before the string reaches the driver manager.
    virtual Connected connect(std::string_view connectString) = 0;
};

// unixODBC. Safe to call from any thread.
Odbc& realOdbc();

} // namespace kvn::odbc
