// Walks the whole IPv4 space through the GeoIP tree: each look-up tells the
// country and the size of the block the address sits in, so the next look-up
// starts right after that block and every leaf is visited once.
#include "tools/ip2c-build/geoip_source.h"

#include "tools/ip2c-build/country_naming.h"

#include <GeoIP.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace kvn::ip2c {
namespace {

struct GeoipCloser {
    void operator()(GeoIP* database) const { GeoIP_delete(database); }
};

struct CountryNames {
    std::string code2;
    std::string code3;
    std::string name;
};

// Names by GeoIP id, computed once per id.
class NameCache {
public:
    const CountryNames& forId(int id)
    {
        auto& slot = names_[static_cast<std::size_t>(id)];
        if (!slot) {
            const std::string code = GeoIP_code_by_id(id);
            slot = std::make_unique<CountryNames>(CountryNames{code, GeoIP_code3_by_id(id), countryNameFor(code)});
        }
        return *slot;
    }

private:
    std::vector<std::unique_ptr<CountryNames>> names_ = std::vector<std::unique_ptr<CountryNames>>(256);
};

void addRange(IpRanges& ranges, std::uint32_t from, std::uint32_t to, const CountryNames& names)
{
    if (!ranges.empty() && ranges.back().code2 == names.code2 && ranges.back().to + 1 == from) {
        ranges.back().to = to;
        return;
    }
    ranges.push_back(IpRange{from, to, names.code2, names.code3, names.name, 0});
}

} // namespace

GeoipRanges readGeoipRanges(const std::string& file, const Progress& progress)
{
    const std::unique_ptr<GeoIP, GeoipCloser> database(GeoIP_open(file.c_str(), GEOIP_MEMORY_CACHE | GEOIP_SILENCE));
    if (!database)
        return {Status::failure("Cannot open the GeoIP data \"" + file + "\""), {}};
    if (GeoIP_database_edition(database.get()) != GEOIP_COUNTRY_EDITION)
        return {Status::failure("\"" + file + "\" is not a GeoIP IPv4 country database"), {}};

    GeoipRanges result;
    NameCache names;
    const int countries = static_cast<int>(GeoIP_num_countries());
    int reportedPercent = -1;
    std::uint64_t address = 0;
    while (address <= 0xFFFFFFFFu) {
        GeoIPLookup lookup{};
        const int id = GeoIP_id_by_ipnum_gl(database.get(), static_cast<unsigned long>(address), &lookup);
        const int prefix = lookup.netmask >= 1 && lookup.netmask <= 32 ? lookup.netmask : 32;
        const std::uint64_t size = std::uint64_t{1} << (32 - prefix);
        const std::uint64_t first = address & ~(size - 1);
        const std::uint64_t last = first + size - 1;
        if (id > 0 && id < countries)
            addRange(
                result.ranges, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last), names.forId(id));
        address = last + 1;

        const int percent = static_cast<int>(address * 100 / 0x100000000u);
        if (progress && percent / 10 != reportedPercent / 10) {
            reportedPercent = percent;
            progress("read " + std::to_string(percent) + "% of the address space, "
                + std::to_string(result.ranges.size()) + " ranges");
        }
    }
    return result;
}

} // namespace kvn::ip2c
