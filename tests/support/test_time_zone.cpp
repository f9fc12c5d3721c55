// Every test binary runs in the time zone its local-time tests are written
// for, however it is started (by ctest, by hand, under a debugger): OLE dates
// are local time, and the expected days and hours are Berlin's, with its
// summer time. Built into each test binary, before main runs.
#include <cstdlib>
#include <ctime>

namespace {

const bool timeZoneSet = [] {
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    return true;
}();

} // namespace
