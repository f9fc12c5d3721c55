// IP ranges from a CSV file in one of two layouts:
//   classic: ip_from,ip_to,code2,code3,country name   (numbers, fields may be quoted)
//   ranges:  first address,last address,code          (dotted addresses or numbers)
// Blank lines, "#" comments and a header line at the top are skipped, and so
// are IPv6 rows and rows whose code names no country ("-", "--", "ZZ").
// Anything else that does not fit the layout is refused with its line number.
#pragma once

#include "platform/core/status.h"
#include "tools/ip2c-build/ip_range.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn::ip2c {

enum class CsvLayout { Detect, Classic, Ranges };

// "auto", "classic" or "ranges".
std::optional<CsvLayout> csvLayoutNamed(std::string_view name);

struct CsvRanges {
    Status status = Status::success(); // failures read "NAME:LINE: why"
    CsvLayout layout = CsvLayout::Detect; // the layout found
    IpRanges ranges; // in file order
    std::size_t skippedRows = 0;
};

// `name` is the file name errors are reported with.
CsvRanges readCsvRanges(std::istream& input, const std::string& name, CsvLayout layout, const Progress& progress);
CsvRanges readCsvFile(const std::string& path, CsvLayout layout, const Progress& progress);

// The fields of one line; quoted fields may hold commas and doubled quotes.
// Empty when the quotes do not balance.
std::optional<std::vector<std::string>> splitCsvLine(std::string_view line);

// An address as a number: digits ("16777216") or dotted ("1.0.0.0").
std::optional<std::uint32_t> parseIpv4(std::string_view text);

} // namespace kvn::ip2c
