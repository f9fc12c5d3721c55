// Speed of building the first white list: the recipients of a Sent folder
// added one by one to a list that grows to 1,000, 5,000 and 20,000
// addresses, each address met four times on average (every repeat finds its
// entry present), as a mailbox of some years gives them.
#include "addin/first_run_addresses.h"

#include <benchmark/benchmark.h>
#include <random>
#include <string>
#include <vector>

namespace kvn {
namespace {

std::vector<std::string> recipientsOf(std::int64_t distinct)
{
    std::mt19937 random(7);
    std::vector<std::string> addresses;
    for (std::int64_t i = 0; i < distinct; ++i) {
        std::string address;
        for (int letter = 0; letter < 9; ++letter)
            address += static_cast<char>('a' + random() % 26);
        addresses.push_back(address + "@example" + std::to_string(random() % 300) + ".com");
    }
    std::vector<std::string> recipients;
    for (std::int64_t i = 0; i < distinct * 4; ++i)
        recipients.push_back(addresses[random() % addresses.size()]);
    return recipients;
}

void BM_AddSentRecipients(benchmark::State& state)
{
    const std::vector<std::string> recipients = recipientsOf(state.range(0));
    for (auto _ : state) {
        ListSequence list;
        appendGuard(list);
        for (const std::string& address : recipients)
            addWhiteAddress(list, address, "Name", PresentEntry::NameTheAddress, "2024.03.15");
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(recipients.size()));
}
BENCHMARK(BM_AddSentRecipients)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kvn
