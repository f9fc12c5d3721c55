// The address ranges of a GeoIP country database file, walked leaf by leaf.
#pragma once

#include "platform/core/status.h"
#include "tools/ip2c-build/ip_range.h"

#include <string>

namespace kvn::ip2c {

// Debian's country data (package geoip-database).
inline constexpr const char* defaultGeoipFile = "/usr/share/GeoIP/GeoIP.dat";

struct GeoipRanges {
    Status status = Status::success();
    IpRanges ranges; // ascending, neighbours of the same country joined, unknown space left out
};

GeoipRanges readGeoipRanges(const std::string& file, const Progress& progress);

} // namespace kvn::ip2c
