// Speed of the address look-ups, the insert position, and of loading and
// saving a profile, at 1,000, 10,000 and 100,000 address entries (and one
// domain for every 20 addresses). The saves are timed twice: on lists that
// are already in file order, and on the case every real save meets, a list
// loaded from its file with a few entries appended since.
#include "lists/extra_sort.h"
#include "lists/filter_lists.h"
#include "lists/profile_data.h"

#include <algorithm>
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

std::int64_t domainCountOf(std::int64_t addressCount) { return std::max<std::int64_t>(2, addressCount / 20); }

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
    for (std::int64_t i = 0; i < domainCountOf(count); ++i)
        sample.lists.sequence(ListKind::Domain, i % 2 == 0)
            .push_back(ListEntry(3, "domain" + std::to_string(i) + ".org", "", 0, "2024.01.01", ""));
    // As a load from the lists file leaves them: the Domain hashes built.
    sample.lists.rebuildAddressIndexes();
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

// One look-up of a listed domain (the last white one, a whole scan of the
// white list) and one of a domain on neither list (both scanned).
void BM_FindDomain(benchmark::State& state)
{
    const Sample& sample = sampleOf(state.range(0));
    const std::int64_t domains = domainCountOf(state.range(0));
    const std::string last = "someone@domain" + std::to_string((domains - 1) / 2 * 2) + ".org";
    if (sample.lists.findDomain(last, true).result != LookupResult::DomainInAskedList)
        state.SkipWithError("the last white domain was not found");
    for (auto _ : state) {
        benchmark::DoNotOptimize(sample.lists.findDomain(last, true));
        benchmark::DoNotOptimize(sample.lists.findDomain("someone@unlisted.org", true));
    }
}

// The insert position of new addresses. It puts the address's first byte
// into the index; the iteration takes it out again with removeIndexChar (an
// equal byte leaves the same text whichever of the run it removes), a linear
// walk like the insert's own, so the figure is at most twice the insert's.
void BM_AddressInsertPosition(benchmark::State& state)
{
    const Sample& sample = sampleOf(state.range(0));
    std::mt19937 random(9);
    std::vector<std::string> addresses;
    for (int i = 0; i < 256; ++i)
        addresses.push_back(randomAddress(random));
    const ListSequence& white = sample.lists.sequence(ListKind::Address, true);
    std::string index = sample.lists.firstCharIndex(true);
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& address = addresses[i++ % addresses.size()];
        benchmark::DoNotOptimize(FilterLists::addressInsertPosition(index, address, white));
        FilterLists::removeIndexChar(index, address.front());
    }
    if (index != sample.lists.firstCharIndex(true))
        state.SkipWithError("the index did not come back to what it was");
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

// Lists already in file order: the sort finds nothing to do.
void BM_SaveAllSorted(benchmark::State& state)
{
    ProfileData data = profileWith(state.range(0));
    for (auto _ : state)
        if (!data.saveAll().ok())
            state.SkipWithError("save failed");
}

// Appends what a day of use adds to a loaded list: a few new addresses (at
// the end, as the first-run configuration and the imports append) and a few
// new domains.
void appendAFew(FilterLists& lists)
{
    std::mt19937 random(11);
    for (int i = 0; i < 5; ++i) {
        // Built by appending: gcc -O3 warns falsely about "n" + std::string.
        std::string number = std::to_string(i);
        std::string domain = "new";
        domain += number;
        domain += ".org";
        std::string extra = "n";
        extra += number;
        for (const bool white : {true, false}) {
            lists.sequence(ListKind::Address, white)
                .push_back(ListEntry(2, "New", randomAddress(random), 0, "2024.01.02", ""));
            lists.sequence(ListKind::Domain, white).push_back(ListEntry(3, domain, extra, 0, "2024.01.02", ""));
        }
    }
    lists.rebuildAddressIndexes();
}

// A list as a save meets it: loaded sorted from its file, a few entries
// appended. The state is restored outside the timing before every save.
void BM_SaveAllAfterAppending(benchmark::State& state)
{
    ProfileData data = profileWith(state.range(0));
    if (!data.saveAll().ok())
        state.SkipWithError("save failed");
    appendAFew(data.lists());
    const FilterLists appended = data.lists();
    for (auto _ : state) {
        state.PauseTiming();
        data.lists() = appended;
        state.ResumeTiming();
        if (!data.saveAll().ok())
            state.SkipWithError("save failed");
    }
}

// The sort of that save alone, for the white Address sequence.
void BM_SortAfterAppending(benchmark::State& state)
{
    ProfileData data = profileWith(state.range(0));
    sortByExtra(data.lists().sequence(ListKind::Address, true));
    appendAFew(data.lists());
    const ListSequence appended = data.lists().sequence(ListKind::Address, true);
    ListSequence sequence;
    for (auto _ : state) {
        state.PauseTiming();
        sequence = appended;
        state.ResumeTiming();
        sortByExtra(sequence);
    }
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
BENCHMARK(BM_SaveAllSorted)->Arg(1000)->Arg(5000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAllAfterAppending)->Arg(1000)->Arg(5000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortAfterAppending)->Arg(1000)->Arg(5000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAll)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kvn
