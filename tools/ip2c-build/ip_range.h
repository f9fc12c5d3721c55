// One range of the IP-to-country table as the builder gathers it, and the
// progress callback the builder's steps report through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kvn::ip2c {

struct IpRange {
    std::uint32_t from = 0; // first address, a*16777216 + b*65536 + c*256 + d
    std::uint32_t to = 0; // last address, inclusive
    std::string code2; // "DE"
    std::string code3; // "DEU", may be empty
    std::string country; // the name country entries use: "GERMANY"
    std::size_t line = 0; // the input line it came from; 0 for GeoIP data
};

using IpRanges = std::vector<IpRange>;

// Receives one line of progress text at a time (no line break).
using Progress = std::function<void(const std::string&)>;

} // namespace kvn::ip2c
