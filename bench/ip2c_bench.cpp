// findCountry on a database of 200,000 ranges through the real SQLite3 ODBC
// driver: an address inside a range and one in a gap between two ranges; and
// opening the database, which checks its ranges once.
#include "analysis/ip2c_lookup.h"
#include "lists/registry_root.h"
#include "platform/odbc/odbc.h"
#include "tools/ip2c-build/database_writer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using namespace kvn;

constexpr std::uint32_t rangeCount = 200000;
constexpr std::uint32_t stride = 21474; // 200,000 ranges spread over the IPv4 space
constexpr std::uint32_t rangeSize = 16000; // leaves a gap of 5,474 addresses after each range

// A folder with IP2C.mdb, odbc.ini and a registry, made once for all runs.
class BenchSetup {
public:
    BenchSetup()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvn-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        folder_ = pattern;
        setenv("ODBCINI", (folder_ + "/odbc.ini").c_str(), 1);
        registry_ = registry::openFileRegistry(folder_ + "/registry");
        setRegistryRoot(productRegistryRoot(registry_.get()));

        ip2c::IpRanges ranges;
        for (std::uint32_t i = 0; i < rangeCount; ++i)
            ranges.push_back({i * stride, i * stride + rangeSize, "DE", "DEU", i % 2 ? "GERMANY" : "FRANCE", i + 1});
        if (!ip2c::writeIp2cDatabase(ip2cDatabasePath(folder_), std::move(ranges), "bench", "bench", nullptr).ok())
            throw std::runtime_error("cannot build the database");

        lookup_ = std::make_unique<Ip2cLookup>(odbc::realOdbc(), ui_, folder_, "Default");
        lookup_->openIp2cDatabase(true);
        if (!lookup_->isOpen())
            throw std::runtime_error("cannot open the database");
        lists_.sequence(ListKind::Country, true).push_back(ListEntry(7, "France", "", 0, "2024.01.01", ""));
        lists_.sequence(ListKind::Country, false).push_back(ListEntry(7, "Germany", "", 0, "2024.01.01", ""));
    }
    ~BenchSetup()
    {
        lookup_.reset();
        setRegistryRoot(productRegistryRoot());
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    LookupResult find(std::uint32_t ip, std::string& country)
    {
        int index = -1;
        return lookup_->findCountry(lists_, true, ip, index, country);
    }

    // Connects again, with the check of the table that opening makes.
    bool reopen()
    {
        lookup_->openIp2cDatabase(true);
        return lookup_->isOpen() && lookup_->rangesDisjoint();
    }

private:
    std::string folder_;
    std::unique_ptr<registry::Registry> registry_;
    ConsoleUi ui_;
    FilterLists lists_;
    std::unique_ptr<Ip2cLookup> lookup_;
};

BenchSetup& setup()
{
    static BenchSetup instance;
    return instance;
}

// 4,096 addresses spread over all ranges (or all gaps), looked up in turn, so
// that the figure is not that of one row the database has cached; each is
// checked once before the timing.
void runLookups(benchmark::State& state, std::uint32_t offsetInStride, LookupResult expected)
{
    std::mt19937 random(5);
    std::vector<std::uint32_t> addresses;
    for (int i = 0; i < 4096; ++i)
        addresses.push_back(static_cast<std::uint32_t>(random() % (rangeCount / 2) * 2) * stride + offsetInStride
            + static_cast<std::uint32_t>(random() % 1000));
    std::string country;
    for (const std::uint32_t ip : addresses) {
        if (setup().find(ip, country) != expected) {
            state.SkipWithError("unexpected lookup result");
            return;
        }
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(setup().find(addresses[i++ % addresses.size()], country));
        benchmark::DoNotOptimize(country.data());
    }
}

// Inside the even ranges: the white list's country.
void BM_FindCountryInsideARange(benchmark::State& state)
{
    runLookups(state, rangeSize / 2, LookupResult::InAskedList);
}

void BM_FindCountryInAGap(benchmark::State& state) { runLookups(state, rangeSize + 2000, LookupResult::NoKey); }

// Opening the database: the connection and the one ordered scan that tells
// whether its ranges overlap.
void BM_OpenDatabase(benchmark::State& state)
{
    for (auto _ : state) {
        if (!setup().reopen()) {
            state.SkipWithError("the builder's ranges were not taken for disjoint");
            return;
        }
    }
}

BENCHMARK(BM_OpenDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindCountryInsideARange)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FindCountryInAGap)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
