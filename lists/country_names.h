// The country names the lists use, in the order the add-item dialog offers
// them, with the two-letter codes that IP-to-country data is keyed by.
#pragma once

#include <span>
#include <string_view>

namespace kvn {

struct CountryName {
    std::string_view code; // ISO 3166 alpha-2, upper case
    std::string_view name; // as country entries hold it: "AFGHANISTAN" ... "ZIMBABWE"
};

// The 220 names of the country list, in its order.
std::span<const CountryName> countryList();

// The list's name for a two-letter code (either letter case), or empty when
// the list has no country of that code. Codes that stand for the same
// territory as one of the list's codes ("TL" beside the list's "TP" for East
// Timor, "RS" and "ME" for Serbia and Montenegro, "UK" for the United
// Kingdom, "FX" for metropolitan France) give that name too.
std::string_view countryNameForCode(std::string_view code);

// The list's spelling of a country name given in any letter case
// ("puerto rico" -> "PUERTO RICO"), or empty when the list has no such name.
std::string_view countryListName(std::string_view name);

} // namespace kvn
