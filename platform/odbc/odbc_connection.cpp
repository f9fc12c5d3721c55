// Connections and queries through the unixODBC driver manager, and the
// process's Odbc object that joins them with the odbc.ini calls.
#include "platform/odbc/odbc_layer.h"

#include <sql.h>
#include <sqlext.h>

#include <cassert>
#include <string>
#include <vector>

namespace kvn::odbc::layer {
namespace {

// The first diagnostic record of a handle as "SQLSTATE: message".
std::string diagnostic(SQLSMALLINT handleType, SQLHANDLE handle)
{
    SQLCHAR state[6] = {};
    SQLINTEGER nativeError = 0;
    SQLCHAR message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRec(handleType, handle, 1, state, &nativeError, message, sizeof message, &length);
    if (!SQL_SUCCEEDED(rc))
        return "unknown ODBC error";
    return std::string(reinterpret_cast<const char*>(state)) + ": " + reinterpret_cast<const char*>(message);
}

// Reads a whole text column, however long, in pieces.
Status readText(SQLHSTMT statement, SQLUSMALLINT column, std::string& text)
{
    text.clear();
    char piece[256];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, SQL_C_CHAR, piece, sizeof piece, &indicator);
        if (rc == SQL_NO_DATA)
            return Status::success();
        if (!SQL_SUCCEEDED(rc))
            return Status::failure(diagnostic(SQL_HANDLE_STMT, statement));
        if (indicator == SQL_NULL_DATA)
            return Status::success();
        const bool truncated = indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof piece);
        text.append(piece, truncated ? sizeof piece - 1 : static_cast<std::size_t>(indicator));
        if (!truncated)
            return Status::success();
    }
}

// Keeps one statement handle, prepared with the text of the last query, so
// that repeating a query only binds, executes and fetches.
class UnixOdbcConnection final : public Connection {
public:
    UnixOdbcConnection(SQLHENV environment, SQLHDBC connection) : environment_(environment), connection_(connection) { }
    ~UnixOdbcConnection() override
    {
        dropStatement();
        SQLDisconnect(connection_);
        SQLFreeHandle(SQL_HANDLE_DBC, connection_);
        SQLFreeHandle(SQL_HANDLE_ENV, environment_);
    }
    UnixOdbcConnection(const UnixOdbcConnection&) = delete;
    UnixOdbcConnection& operator=(const UnixOdbcConnection&) = delete;

    FirstRow queryFirstRowText(std::string_view sql, std::span<const std::uint32_t> parameters, int column) override
    {
        assert(column >= 0 && "columns are counted from 0");
        if (Status prepared = prepare(sql); !prepared.ok())
            return {prepared, false, {}};
        FirstRow row = execute(parameters, static_cast<SQLUSMALLINT>(column + 1));
        SQLFreeStmt(statement_, SQL_CLOSE);
        if (!row.status.ok())
            dropStatement(); // prepared anew next time, in case the failure left it unusable
        return row;
    }

private:
    Status prepare(std::string_view sql)
    {
        if (statement_ != SQL_NULL_HSTMT && sql == preparedSql_)
            return Status::success();
        dropStatement();
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection_, &statement_))) {
            statement_ = SQL_NULL_HSTMT;
            return Status::failure(diagnostic(SQL_HANDLE_DBC, connection_));
        }
        std::string text(sql);
        if (!SQL_SUCCEEDED(SQLPrepare(
                statement_, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size())))) {
            const Status failed = Status::failure(diagnostic(SQL_HANDLE_STMT, statement_));
            dropStatement();
            return failed;
        }
        preparedSql_ = std::move(text);
        return Status::success();
    }

    FirstRow execute(std::span<const std::uint32_t> parameters, SQLUSMALLINT column)
    {
        // The driver reads bound values at SQLExecute, so they live here until then.
        std::vector<SQLBIGINT> values(parameters.begin(), parameters.end());
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!SQL_SUCCEEDED(SQLBindParameter(statement_, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                    SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &values[i], 0, nullptr)))
                return failure();
        }
        const SQLRETURN executed = SQLExecute(statement_);
        if (!SQL_SUCCEEDED(executed) && executed != SQL_NO_DATA)
            return failure();
        const SQLRETURN fetched = SQLFetch(statement_);
        if (fetched == SQL_NO_DATA)
            return {Status::success(), false, {}};
        if (!SQL_SUCCEEDED(fetched))
            return failure();
        FirstRow row;
        row.found = true;
        row.status = readText(statement_, column, row.text);
        return row;
    }

    FirstRow failure() const { return {Status::failure(diagnostic(SQL_HANDLE_STMT, statement_)), false, {}}; }

    void dropStatement()
    {
        if (statement_ != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, statement_);
        statement_ = SQL_NULL_HSTMT;
        preparedSql_.clear();
    }

    SQLHENV environment_;
    SQLHDBC connection_;
    SQLHSTMT statement_ = SQL_NULL_HSTMT;
    std::string preparedSql_;
};

std::string_view withoutOdbcPrefix(std::string_view connectString)
{
    constexpr std::string_view prefix = "ODBC;";
    if (connectString.size() >= prefix.size()) {
        bool same = true;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            same = same && (connectString[i] & ~0x20) == (prefix[i] & ~0x20);
        if (same)
            return connectString.substr(prefix.size());
    }
    return connectString;
}

} // namespace

Connected connect(std::string_view connectString)
{
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment)))
        return {Status::failure("Could not start ODBC"), nullptr};
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);

    SQLHDBC connection = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection))) {
        const std::string why = diagnostic(SQL_HANDLE_ENV, environment);
        SQLFreeHandle(SQL_HANDLE_ENV, environment);
        return {Status::failure(why), nullptr};
    }

    std::string text(withoutOdbcPrefix(connectString));
    SQLCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc = SQLDriverConnect(connection, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
        static_cast<SQLSMALLINT>(text.size()), completed, sizeof completed, &completedLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        const std::string why = diagnostic(SQL_HANDLE_DBC, connection);
        SQLFreeHandle(SQL_HANDLE_DBC, connection);
        SQLFreeHandle(SQL_HANDLE_ENV, environment);
        return {Status::failure(why), nullptr};
    }
    return {Status::success(), std::make_unique<UnixOdbcConnection>(environment, connection)};
}

} // namespace kvn::odbc::layer

namespace kvn::odbc {
namespace {

class UnixOdbc final : public Odbc {
public:
    bool userDataSourceExists(std::string_view name) override { return layer::userDataSourceExists(name); }
    Status writeUserDataSource(
        std::string_view name, std::string_view driver, const std::vector<Attribute>& attributes) override
    {
        return layer::writeUserDataSource(name, driver, attributes);
    }
    Connected connect(std::string_view connectString) override { return layer::connect(connectString); }
};

} // namespace

Odbc& realOdbc()
{
    static UnixOdbc odbc;
    return odbc;
}

} // namespace kvn::odbc
