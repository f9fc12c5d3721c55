// Writes the IP-to-country database: an SQLite file holding the table
//   ip_to_country(ip_from, ip_to, source, code2, code3, country)
// with the country name at column 5 and a unique index on ip_from, which the
// lookup's query walks. Ranges must not overlap, so that the range with the
// greatest ip_from not above an address is the only one that can hold it.
#pragma once

#include "platform/core/status.h"
#include "tools/ip2c-build/ip_range.h"

#include <string>

namespace kvn::ip2c {

// The ranges sorted by their first address; refused, naming both input lines,
// when two of them overlap.
Status sortAndCheckRanges(IpRanges& ranges, const std::string& inputName);

// Builds the database in a temporary file beside `path` and renames it over
// `path` only when it is complete and synced; on any failure the old file
// stays as it was and the temporary file is removed. `source` is stored in
// each row ("geoip", "csv").
Status writeIp2cDatabase(const std::string& path, IpRanges ranges, const std::string& source,
    const std::string& inputName, const Progress& progress);

} // namespace kvn::ip2c
