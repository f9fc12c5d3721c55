// Builds IP2C.mdb through libsqlite3 in a temporary file and moves it into
// place with rename(), so readers see either the old database or the new one.
#include "tools/ip2c-build/database_writer.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace kvn::ip2c {
namespace {

constexpr const char* schema = "CREATE TABLE ip_to_country ("
                               "ip_from INTEGER NOT NULL, ip_to INTEGER NOT NULL, source TEXT, "
                               "code2 TEXT, code3 TEXT, country TEXT NOT NULL)";
constexpr const char* indexing = "CREATE UNIQUE INDEX ip_to_country_from ON ip_to_country (ip_from)";
constexpr const char* insertion = "INSERT INTO ip_to_country VALUES (?, ?, ?, ?, ?, ?)";

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string describe(const IpRange& range, const std::string& inputName)
{
    return range.line == 0 ? inputName : inputName + ":" + std::to_string(range.line);
}

Status execute(sqlite3* database, const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(database, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return Status::success();
    const std::string why = message ? message : "unknown SQLite error";
    sqlite3_free(message);
    return Status::failure(why);
}

Status insertRanges(sqlite3* database, const IpRanges& ranges, const std::string& source, const Progress& progress)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(database, insertion, -1, &raw, nullptr) != SQLITE_OK)
        return Status::failure(sqlite3_errmsg(database));
    const Statement insert(raw);
    std::size_t written = 0;
    for (const IpRange& range : ranges) {
        sqlite3_bind_int64(insert.get(), 1, range.from);
        sqlite3_bind_int64(insert.get(), 2, range.to);
        sqlite3_bind_text(insert.get(), 3, source.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert.get(), 4, range.code2.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert.get(), 5, range.code3.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert.get(), 6, range.country.c_str(), -1, SQLITE_STATIC);
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            return Status::failure(sqlite3_errmsg(database));
        sqlite3_reset(insert.get());
        if (++written % 50000 == 0 && progress)
            progress("wrote " + std::to_string(written) + " of " + std::to_string(ranges.size()) + " ranges");
    }
    return Status::success();
}

Status fillOpenDatabase(sqlite3* database, const IpRanges& ranges, const std::string& source, const Progress& progress)
{
    // The temporary file is thrown away on any failure, so it needs no journal;
    // it is synced once, as a whole, before the rename.
    for (const char* step : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF", "BEGIN", schema}) {
        if (Status status = execute(database, step); !status.ok())
            return status;
    }
    if (Status status = insertRanges(database, ranges, source, progress); !status.ok())
        return status;
    if (progress)
        progress("indexing " + std::to_string(ranges.size()) + " ranges");
    for (const char* step : {indexing, "COMMIT"}) {
        if (Status status = execute(database, step); !status.ok())
            return status;
    }
    return Status::success();
}

Status fillDatabase(
    const std::string& file, const IpRanges& ranges, const std::string& source, const Progress& progress)
{
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(file.c_str(), &database, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const std::string why = database ? sqlite3_errmsg(database) : "cannot start SQLite";
        sqlite3_close(database);
        return Status::failure(why);
    }
    Status status = fillOpenDatabase(database, ranges, source, progress);
    if (sqlite3_close(database) != SQLITE_OK && status.ok())
        status = Status::failure("cannot close the new database");
    return status;
}

Status syncPath(const std::string& path, int flags)
{
    const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC);
    if (descriptor < 0)
        return Status::failure(systemError("cannot open " + path));
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced ? Status::success() : Status::failure(systemError("cannot sync " + path));
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes an empty temporary file beside the target; empty on failure.
std::string makeTemporaryFile(const std::string& path)
{
    std::string name = path + ".tmp-XXXXXX";
    const int descriptor = ::mkstemp(name.data());
    if (descriptor < 0)
        return {};
    ::fchmod(descriptor, 0644);
    ::close(descriptor);
    return name;
}

} // namespace

Status sortAndCheckRanges(IpRanges& ranges, const std::string& inputName)
{
    std::stable_sort(ranges.begin(), ranges.end(), [](const IpRange& a, const IpRange& b) { return a.from < b.from; });
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].from <= ranges[i - 1].to) {
            const IpRange& later = ranges[i].line > ranges[i - 1].line ? ranges[i] : ranges[i - 1];
            const IpRange& earlier = &later == &ranges[i] ? ranges[i - 1] : ranges[i];
            return Status::failure(
                describe(later, inputName) + ": the range overlaps the one of " + describe(earlier, inputName));
        }
    }
    return Status::success();
}

Status writeIp2cDatabase(const std::string& path, IpRanges ranges, const std::string& source,
    const std::string& inputName, const Progress& progress)
{
    if (ranges.empty())
        return Status::failure(inputName + ": no ranges to write");
    if (Status checked = sortAndCheckRanges(ranges, inputName); !checked.ok())
        return checked;

    const std::string temporary = makeTemporaryFile(path);
    if (temporary.empty())
        return Status::failure(systemError("cannot create a file beside " + path));
    Status status = fillDatabase(temporary, ranges, source, progress);
    if (status.ok())
        status = syncPath(temporary, O_RDONLY);
    if (status.ok() && ::rename(temporary.c_str(), path.c_str()) != 0)
        status = Status::failure(systemError("cannot move the new database to " + path));
    if (!status.ok()) {
        ::unlink(temporary.c_str());
        return status;
    }
    // The rename is durable once the folder is synced; a failure here leaves a complete database.
    static_cast<void>(syncPath(folderOf(path), O_RDONLY | O_DIRECTORY));
    return Status::success();
}

} // namespace kvn::ip2c
