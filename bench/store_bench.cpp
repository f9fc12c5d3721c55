// The mail store's speed: Find over large folders (decided from listings and
// metadata), header reads of many e-mails, and one move.
#include "platform/outlook/maildir_store.h"

#include <benchmark/benchmark.h>

#include <sys/time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace kvn::outlook;

constexpr std::int64_t baseTime = 1700000000; // 2023-11-14

void makeMaildir(const std::string& dir)
{
    for (const char* sub : {"/cur", "/new", "/tmp"})
        std::filesystem::create_directories(dir + sub);
}

// A Maildir of `count` messages of which one in `unreadEvery` is unread,
// made once per shape and removed at exit.
class BenchStore {
public:
    BenchStore(int count, int unreadEvery)
    {
        char pattern[] = "/tmp/kvn-store-bench-XXXXXX";
        root_ = mkdtemp(pattern);
        makeMaildir(root_);
        makeMaildir(root_ + "/.Archive");
        for (int i = 0; i < count; ++i) {
            bool unread = i % unreadEvery == 0;
            std::string name
                = std::to_string(baseTime + i) + ".M" + std::to_string(i) + "P1.bench:2," + (unread ? "" : "S");
            std::string path = root_ + "/cur/" + name;
            std::ofstream(path) << "Received: from relay ([192.0.2." << i % 250 << "]) by mx\r\nFrom: Sender " << i
                                << " <s" << i << "@example.org>\r\nTo: me@example.net\r\nSubject: Message " << i
                                << "\r\n\r\n"
                                << std::string(2000, 'x') << "\r\n";
            struct timeval times[2] = {{baseTime + i * 30, 0}, {baseTime + i * 30, 0}};
            utimes(path.c_str(), times);
        }
        app_ = openMaildirApplication({StoreConfig{"Bench", root_, {}, "Trash", "Sent"}}, "Bench");
    }
    ~BenchStore() { std::filesystem::remove_all(root_); }
    const ApplicationPtr& app() const { return app_; }

private:
    std::string root_;
    ApplicationPtr app_;
};

BenchStore& storeOf(int count, int unreadEvery)
{
    static std::map<std::pair<int, int>, std::unique_ptr<BenchStore>> stores;
    auto& store = stores[{count, unreadEvery}];
    if (!store)
        store = std::make_unique<BenchStore>(count, unreadEvery);
    return *store;
}

// Find + FindNext through every match of the pass's filter.
void BM_FindUnreadSince(benchmark::State& state)
{
    auto& store = storeOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    auto inbox = store.app()->getNamespace("MAPI")->getDefaultFolder(olFolderInbox);
    std::int64_t found = 0;
    for (auto _ : state) {
        auto items = inbox->items();
        auto first = items->find("[UnRead]=true and [ReceivedTime]>='Nov 14 2023 12:00 AM'");
        found = 0;
        for (auto item = first ? *first : nullptr; item; item = items->findNext())
            ++found;
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_FindUnreadSince)
    ->ArgNames({"messages", "unreadEvery"})
    ->Args({10000, 100})
    ->Args({10000, 2})
    ->Args({100000, 100})
    ->Args({100000, 2})
    ->Unit(benchmark::kMillisecond);

// GetFirst and GetNext over every e-mail of a folder, each asked for its EntryID.
void BM_WalkAll(benchmark::State& state)
{
    auto& store = storeOf(static_cast<int>(state.range(0)), 2);
    auto inbox = store.app()->getNamespace("MAPI")->getDefaultFolder(olFolderInbox);
    for (auto _ : state) {
        auto items = inbox->items();
        std::size_t walked = 0;
        for (auto item = items->getFirst(); item; item = items->getNext())
            walked += item->asMailItem()->entryId().size();
        benchmark::DoNotOptimize(walked);
    }
}
BENCHMARK(BM_WalkAll)->Arg(10000)->Unit(benchmark::kMillisecond);

// Restrict then Count, as the quarantine auto-clean asks.
void BM_RestrictCount(benchmark::State& state)
{
    auto& store = storeOf(static_cast<int>(state.range(0)), 2);
    auto inbox = store.app()->getNamespace("MAPI")->getDefaultFolder(olFolderInbox);
    for (auto _ : state)
        benchmark::DoNotOptimize(inbox->items()->restrict("[ReceivedTime]<'Nov 20 2023 12:00 AM'")->count());
}
BENCHMARK(BM_RestrictCount)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Sender address and Subject of every e-mail of a folder, as the
// first-run configuration reads them.
void BM_SenderAndSubject(benchmark::State& state)
{
    auto& store = storeOf(static_cast<int>(state.range(0)), 2);
    auto app = store.app();
    auto inbox = app->getNamespace("MAPI")->getDefaultFolder(olFolderInbox);
    auto safe = app->createSafeMailItem();
    auto cleanup = app->createMapiUtils();
    for (auto _ : state) {
        auto items = inbox->items();
        std::size_t bytes = 0;
        for (auto item = items->getFirst(); item; item = items->getNext()) {
            auto mail = item->asMailItem();
            safe->setItem(mail);
            auto sender = safe->sender();
            bytes += mail->subject()->size() + (sender && *sender ? (*sender)->address.size() : 0);
        }
        cleanup->cleanup();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_SenderAndSubject)->Arg(10000)->Unit(benchmark::kMillisecond);

// One Move of one e-mail between two folders of 10,000 messages' store.
void BM_MoveOne(benchmark::State& state)
{
    auto& store = storeOf(10000, 2);
    auto ns = store.app()->getNamespace("MAPI");
    auto inbox = ns->getDefaultFolder(olFolderInbox);
    auto archive = ns->folders()->getFirst()->folders()->item("Archive");
    auto mail = inbox->items()->getFirst()->asMailItem();
    bool toArchive = true;
    for (auto _ : state) {
        mail = mail->move(toArchive ? archive : inbox);
        if (!mail) {
            state.SkipWithError("move failed");
            break;
        }
        toArchive = !toArchive;
    }
    if (mail && !toArchive)
        mail->move(inbox);
}
BENCHMARK(BM_MoveOne)->Unit(benchmark::kMicrosecond);

} // namespace
