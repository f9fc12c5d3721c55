// Speed of the address look-ups, the insert position, and of loading and
// saving a profile, at 1,000, 10,000 and 100,000 address entries.
#include "lists/filter_lists.h"
#include "lists/profile_data.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

namespace kvn {
namespace {

// First letters spread roughly as in real address books: many a, j, m, s,
// few q, x, z, some digits.
char realisticFirstLetter(std::mt19937& random)
{
    static const std::string weighted = "aaaaabbbcccdddeeffgghhiijjjjkkkllmmmmmnnooppqrrrsssssttttuvwwxyz0123";
    return weighted[random() % weighted.size()];
}

std::string randomAddress(std::mt19937& random)
{
    std::string address(1, realisticFirstLetter(random));
    for (int i = 0; i < 8; ++i)
        address += static_cast<char>('a' + random() % 26);
    return address + "@example" + std::to_string(random() % 500) + ".com";
}

struct Sample {
    FilterLists lists;
    std::vector<std::string> whiteAddresses;
    std::vector<std::string> blackAddresses;
};

// count addresses, half white and half black, inserted as the commands do.
Sample makeSample(std::int64_t count)
{
    Sample sample;
    std::mt19937 random(42);
    for (std::int64_t i = 0; i < count; ++i) {
        const bool white = i % 2 == 0;
        std::string address = randomAddress(random);
        (white ? sample.whiteAddresses : sample.blackAddresses).push_back(address);
        insertAddressEntry(sample.lists, white, ListEntry(2, "Name", address, 0, "2024.01.01", ""));
    }
    for (int i = 0; i < 50; ++i)
        sample.lists.sequence(ListKind::Domain, i % 2 == 0)
            .push_back(ListEntry(3, "domain" + std::to_string(i) + ".org", "", 0, "2024.01.01", ""));
    return sample;
}

const Sample& sampleOf(std::int64_t count)
{
    static std::map<std::int64_t, Sample> samples;
    auto found = samples.find(count);
    if (found == samples.end())
        found = samples.emplace(count, makeSample(count)).first;
    return found->second;
}

void probeAddresses(benchmark::State& state, bool inWhite, bool askWhite, bool hit)
{
    const Sample& sample = sampleOf(state.range(0));
    std::mt19937 random(7);
    std::vector<ListEntry> probes;
    const std::vector<std::string>& pool = inWhite ? sample.whiteAddresses : sample.blackAddresses;
    for (int i = 0; i < 256; ++i)
        probes.emplace_back(2, "", hit ? pool[random() % pool.size()] : randomAddress(random) + ".missing", 0, "", "");
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(sample.lists.findAddress(probes[i++ % probes.size()], askWhite));
}

void BM_FindAddressHitAsked(benchmark::State& state) { probeAddresses(state, true, true, true); }
void BM_FindAddressHitOther(benchmark::State& state) { probeAddresses(state, false, true, true); }
void BM_FindAddressMiss(benchmark::State& state) { probeAddresses(state, true, true, false); }

void BM_FindDomain(benchmark::State& state)
{
    const Sample& sample = sampleOf(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(sample.lists.findDomain("someone@domain49.org", true));
        benchmark::DoNotOptimize(sample.lists.findDomain("someone@unlisted.org", true));
    }
}

void BM_AddressInsertPosition(benchmark::State& state)
{
    const Sample& sample = sampleOf(state.range(0));
    std::mt19937 random(9);
    const ListSequence& white = sample.lists.sequence(ListKind::Address, true);
    std::string index = sample.lists.firstCharIndex(true);
    for (auto _ : state) {
        const std::string address = randomAddress(random);
        benchmark::DoNotOptimize(FilterLists::addressInsertPosition(index, address, white));
        state.PauseTiming();
        index = sample.lists.firstCharIndex(true);
        state.ResumeTiming();
    }
}

std::string benchInstallDir()
{
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvn-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return pattern;
    }();
    return folder;
}

ProfileData profileWith(std::int64_t count)
{
    std::string profile = std::to_string(count);
    profile.insert(profile.begin(), 'P');
    ProfileData data(benchInstallDir(), profile, realFileSystem(), systemClock());
    const Sample& sample = sampleOf(count);
    for (const bool white : {true, false}) {
        data.lists().sequence(ListKind::Address, white) = sample.lists.sequence(ListKind::Address, white);
        data.lists().sequence(ListKind::Domain, white) = sample.lists.sequence(ListKind::Domain, white);
    }
    data.lists().rebuildAddressIndexes();
    return data;
}

void BM_SaveAll(benchmark::State& state)
{
    ProfileData data = profileWith(state.range(0));
    for (auto _ : state)
        if (!data.saveAll().ok())
            state.SkipWithError("save failed");
}

void BM_LoadAll(benchmark::State& state)
{
    ProfileData data = profileWith(state.range(0));
    if (!data.saveAll().ok())
        state.SkipWithError("save failed");
    for (auto _ : state)
        if (!data.loadAll().ok())
            state.SkipWithError("load failed");
}

BENCHMARK(BM_FindAddressHitAsked)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_FindAddressHitOther)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_FindAddressMiss)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_FindDomain)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_AddressInsertPosition)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_SaveAll)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAll)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kvn
