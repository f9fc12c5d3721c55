// Reading options from an unchanged hive of 1,000 keys (the engine reads
// options often), from one written a moment ago (read afresh until its times
// are old enough to tell a later change), and writing one.
#include "lists/registry_root.h"
#include "lists/settings.h"
#include "platform/registry/registry.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// A registry folder with 1,000 keys: 999 others beside the profile's key.
class BenchRegistry {
public:
    BenchRegistry()
    {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/kvn-bench-XXXXXX";
        folder_ = ::mkdtemp(pattern.data());
        registry_ = kvn::registry::openFileRegistry(folder_);
        kvn::setRegistryRoot(kvn::productRegistryRoot(registry_.get()));
        for (int i = 0; i < 999; ++i) {
            const std::string key = "Software\\Vendor" + std::to_string(i % 10) + "\\Product" + std::to_string(i);
            registry_->setValue(kvn::registry::Hive::LocalMachine, key, "Value", kvn::registry::stringValue("x"));
        }
        kvn::writeDword("Default", "Edit_QWReminder", 50);
        kvn::writeString("Default", "StopTime", "38000.25000000000000000000");
        // Past the coarsest timestamp tick, so that the hive counts as unchanged.
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    }
    ~BenchRegistry()
    {
        kvn::setRegistryRoot(kvn::productRegistryRoot());
        std::filesystem::remove_all(folder_);
    }

private:
    std::string folder_;
    std::unique_ptr<kvn::registry::Registry> registry_;
};

BenchRegistry& benchRegistry()
{
    static BenchRegistry registry;
    return registry;
}

void BM_ReadDword(benchmark::State& state)
{
    benchRegistry();
    for (auto _ : state)
        benchmark::DoNotOptimize(kvn::readDword("Default", "Edit_QWReminder", 0));
}
BENCHMARK(BM_ReadDword);

void BM_ReadString(benchmark::State& state)
{
    benchRegistry();
    for (auto _ : state)
        benchmark::DoNotOptimize(kvn::readString("Default", "StopTime", "30000.0"));
}
BENCHMARK(BM_ReadString);

// The first read after a write: the hive's times are too recent to be
// trusted, so the file is read again and compared.
void BM_ReadDwordJustWritten(benchmark::State& state)
{
    benchRegistry();
    std::uint32_t value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        kvn::writeDword("Default", "ShowPopup", ++value % 2);
        state.ResumeTiming();
        benchmark::DoNotOptimize(kvn::readDword("Default", "Edit_QWReminder", 0));
    }
}
BENCHMARK(BM_ReadDwordJustWritten)->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_WriteDword(benchmark::State& state)
{
    benchRegistry();
    std::uint32_t value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(kvn::writeDword("Default", "Edit_QWReminder", ++value));
}
BENCHMARK(BM_WriteDword)->Unit(benchmark::kMillisecond);

} // namespace
