// Names the countries of the built table: the country list's name for the
// code, else the name the GeoIP tables give, in capitals.
#pragma once

#include <string>
#include <string_view>

namespace kvn::ip2c {

// The country entries' name for a two-letter code; `fallbackName` (in
// capitals) when the country list lacks the code; GeoIP's own name (in
// capitals) when there is no fallback; empty when nothing knows the code.
std::string countryNameFor(std::string_view code2, std::string_view fallbackName = {});

// GeoIP's three-letter code for a two-letter code, or empty.
std::string code3For(std::string_view code2);

// Letters in capitals: ASCII and the Latin-1 letters of UTF-8 text ("Curaçao"
// becomes "CURAÇAO"); every other byte stays as it is.
std::string inCapitals(std::string_view text);

} // namespace kvn::ip2c
