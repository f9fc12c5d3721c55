// Country names for the builder, from the country list and libGeoIP's tables.
#include "tools/ip2c-build/country_naming.h"

#include "lists/country_names.h"

#include <GeoIP.h>

namespace kvn::ip2c {
namespace {

// GeoIP's id for the code; 0 is its "unknown" country.
int geoipId(std::string_view code2)
{
    const std::string code = inCapitals(code2);
    if (code.size() != 2)
        return 0;
    const int id = GeoIP_id_by_code(code.c_str());
    return id > 0 && static_cast<unsigned>(id) < GeoIP_num_countries() ? id : 0;
}

} // namespace

std::string inCapitals(std::string_view text)
{
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(result[i]);
        if (byte >= 'a' && byte <= 'z') {
            result[i] = static_cast<char>(byte - 'a' + 'A');
        } else if (byte == 0xC3 && i + 1 < result.size()) {
            // U+00E0..U+00FE are C3 A0..C3 BE; their capitals are 0x20 lower, but U+00F7 is the division sign.
            const unsigned char next = static_cast<unsigned char>(result[i + 1]);
            if (next >= 0xA0 && next <= 0xBE && next != 0xB7)
                result[i + 1] = static_cast<char>(next - 0x20);
            ++i;
        }
    }
    return result;
}

std::string countryNameFor(std::string_view code2, std::string_view fallbackName)
{
    const std::string_view listed = countryNameForCode(code2);
    if (!listed.empty())
        return std::string(listed);
    if (!fallbackName.empty())
        return inCapitals(fallbackName);
    const int id = geoipId(code2);
    return id == 0 ? std::string() : inCapitals(GeoIP_utf8_country_name[id]);
}

std::string code3For(std::string_view code2)
{
    const int id = geoipId(code2);
    return id == 0 ? std::string() : std::string(GeoIP_code3_by_id(id));
}

} // namespace kvn::ip2c
