// Dates written the way the mail store's Find and Restrict filters read
// them: "Jan 05 2004 09:30 PM".
#pragma once

#include <string>

namespace kvn {

// The OLE date as local time, "Mon DD YYYY HH:MM AM". A date of 0 or less
// stands for 2000-01-01 00:00:00. Empty when the date cannot be converted to
// a calendar time (or converts to 1970-01-01 00:00:00 UTC).
std::string formatFilterDate(double oleDate);

} // namespace kvn
