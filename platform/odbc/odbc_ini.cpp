// User data sources in odbc.ini through unixODBC's installer library. The
// installer's configuration mode is process-wide state, so every call here
// holds one lock while it switches to user data sources and back.
#include "platform/odbc/odbc_layer.h"

#include <odbcinst.h>

#include <mutex>
#include <string>

namespace kvn::odbc::layer {
namespace {

std::mutex& installerLock()
{
    static std::mutex lock;
    return lock;
}

// Switches the installer to the user's odbc.ini for the lifetime of the object.
class UserDsnMode {
public:
    UserDsnMode() : lock_(installerLock())
    {
        if (!SQLGetConfigMode(&previous_))
            previous_ = ODBC_BOTH_DSN;
        SQLSetConfigMode(ODBC_USER_DSN);
    }
    ~UserDsnMode() { SQLSetConfigMode(previous_); }
    UserDsnMode(const UserDsnMode&) = delete;
    UserDsnMode& operator=(const UserDsnMode&) = delete;

private:
    std::lock_guard<std::mutex> lock_;
    UWORD previous_ = ODBC_BOTH_DSN;
};

// The installer's last error as a sentence, or `fallback` when it has none.
std::string installerError(const std::string& fallback)
{
    DWORD code = 0;
    char message[SQL_MAX_MESSAGE_LENGTH + 1] = {};
    WORD length = 0;
    if (SQLInstallerError(1, &code, message, sizeof message, &length) == SQL_SUCCESS && message[0] != '\0')
        return fallback + ": " + message;
    return fallback;
}

bool asciiEqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The section names of odbc.ini, NUL-separated; the buffer grows until the
// installer no longer fills it.
std::string sectionNames()
{
    std::string buffer(4096, '\0');
    for (;;) {
        const int length = SQLGetPrivateProfileString(
            nullptr, nullptr, "", buffer.data(), static_cast<int>(buffer.size()), "odbc.ini");
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) + 2 < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
}

bool holdsLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

} // namespace

bool userDataSourceExists(std::string_view name)
{
    const UserDsnMode mode;
    const std::string names = sectionNames();
    std::size_t start = 0;
    while (start < names.size()) {
        std::size_t end = names.find('\0', start);
        if (end == std::string::npos)
            end = names.size();
        if (end > start && asciiEqualIgnoringCase(std::string_view(names).substr(start, end - start), name))
            return true;
        start = end + 1;
    }
    return false;
}

Status writeUserDataSource(std::string_view name, std::string_view driver, const std::vector<Attribute>& attributes)
{
    if (name.empty() || holdsLineBreak(name) || holdsLineBreak(driver))
        return Status::failure("The data source name or driver is not valid");
    for (const Attribute& attribute : attributes) {
        if (attribute.keyword.empty() || holdsLineBreak(attribute.keyword) || holdsLineBreak(attribute.value))
            return Status::failure("The data source attribute \"" + attribute.keyword + "\" cannot be stored");
    }

    const UserDsnMode mode;
    const std::string dsn(name);
    const std::string driverName(driver);
    if (!SQLWriteDSNToIni(dsn.c_str(), driverName.c_str()))
        return Status::failure(installerError("Could not write the data source \"" + dsn + "\""));
    for (const Attribute& attribute : attributes) {
        if (asciiEqualIgnoringCase(attribute.keyword, "DSN"))
            continue; // the section name already says it
        if (!SQLWritePrivateProfileString(
                dsn.c_str(), attribute.keyword.c_str(), attribute.value.c_str(), "odbc.ini")) {
            const std::string why = installerError("Could not write \"" + attribute.keyword + "\" of \"" + dsn + "\"");
            SQLRemoveDSNFromIni(dsn.c_str()); // a data source without its attributes would pass the existence test
            return Status::failure(why);
        }
    }
    return Status::success();
}

} // namespace kvn::odbc::layer
