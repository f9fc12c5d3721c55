// Whole classification passes over a generated inbox on tmpfs, through the
// real Maildir object model, beside the "floor": the least a filter must do
// per message (list the folder, read the header block, look the From address
// up in a hash set, rename the file). Both run in each iteration over the
// same fresh copy of the inbox; the iteration time is the pass's alone.
//
// Counters: pass_msgs_per_s and floor_msgs_per_s, pass_to_floor (their
// ratio), pass_to_floor_median (the median of the iterations' own ratios,
// which a burst of load on the machine during one iteration does not move),
// peak_rss_MB (the process's resident peak during the pass) and
// pass_growth_MB (that peak minus what was resident when the pass began).
//
// The inbox lives under /dev/shm (KVN_BENCH_DIR overrides) and is removed at
// the end.
#include "addin/engine_state.h"
#include "analysis/new_mail_pass.h"
#include "bench/pass_inbox.h"
#include "platform/core/append_file.h"
#include "platform/core/clock.h"
#include "platform/core/file_system.h"
#include "platform/core/process_memory.h"
#include "platform/outlook/maildir_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

namespace kvn::bench {
namespace {

namespace fs = std::filesystem;
using Seconds = std::chrono::duration<double>;

std::string benchRoot()
{
    const char* chosen = std::getenv("KVN_BENCH_DIR");
    return (chosen && *chosen ? std::string(chosen) : std::string("/dev/shm")) + "/kvn-pass-bench-"
        + std::to_string(getpid());
}

// --- the floor ---------------------------------------------------------

std::string headerBlock(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string block;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        block.append(buffer, static_cast<std::size_t>(got));
        if (const std::size_t end = block.find("\r\n\r\n"); end != std::string::npos) {
            block.resize(end);
            break;
        }
    }
    close(fd);
    return block;
}

std::string fromAddress(const std::string& header)
{
    const std::size_t from = header.find("\r\nFrom:");
    if (from == std::string::npos)
        return {};
    const std::size_t lineEnd = header.find("\r\n", from + 2);
    const std::string line = header.substr(from + 7, lineEnd - from - 7);
    const std::size_t open = line.find('<');
    const std::size_t close = line.find('>', open);
    std::string address = open == std::string::npos ? line : line.substr(open + 1, close - open - 1);
    for (char& c : address)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return address;
}

// Every message of maildir/new: known senders are renamed into cur/ as read,
// the rest into cur/ unread. Returns how many messages it handled.
std::int64_t runFloor(const std::string& maildir, const std::unordered_set<std::string>& known)
{
    std::int64_t handled = 0;
    DIR* dir = opendir((maildir + "/new").c_str());
    if (!dir)
        throw std::runtime_error("cannot list " + maildir);
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    closedir(dir);
    for (const std::string& name : names) {
        const std::string from = maildir + "/new/" + name;
        const bool listed = known.count(fromAddress(headerBlock(from))) > 0;
        const std::string to = maildir + "/cur/" + name + (listed ? ":2,S" : ":2,");
        if (rename(from.c_str(), to.c_str()) == 0)
            ++handled;
    }
    return handled;
}

// --- memory ------------------------------------------------------------

std::int64_t statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::atoll(line.c_str() + prefix.size());
    return 0;
}

// Sets the resident peak back to what is resident now (Linux 4.0 and later);
// false when the kernel refuses, and the peak is then the process's whole life.
bool resetResidentPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return static_cast<bool>(clear);
}

// --- the pass ----------------------------------------------------------

struct PassSetUp {
    EngineState state;
    outlook::ApplicationPtr application;

    explicit PassSetUp(const std::string& installDir)
        : state(ProfileData(installDir, "Default", realFileSystem(), systemClock()))
    {
    }

    // A fresh object model over the inbox, with the folders a start-up run
    // would find, and the pass's own records emptied.
    void open(const std::string& mailRoot)
    {
        outlook::StoreConfig store;
        store.root = mailRoot;
        application = outlook::openMaildirApplication({store}, "Default");
        const outlook::NamespacePtr mapi = application->getNamespace("MAPI");
        const outlook::FolderPtr inbox = mapi->getDefaultFolder(outlook::olFolderInbox);
        state.folders.inboxes = {inbox};
        state.folders.defaultInbox = inbox;
        state.folders.deletedItems = mapi->getDefaultFolder(outlook::olFolderDeletedItems);
        state.folders.quarantine = inbox->parent()->folders()->add("KVN Quarantined", outlook::olFolderInbox);
        state.CheckFromTime = systemClock().nowOleDate() - 7.0;
        // Emptied down to their storage: each iteration is a first pass, its
        // peak never holding what the pass before it grew.
        // (Assigning {} to a vector would keep its storage.)
        state.deliveredMailIds = DeliveredMailIds();
        state.data.quarantineDecisions() = std::vector<QuarantineDecision>();
        Statistics& statistics = state.data.statistics();
        statistics.blocked = std::vector<StatRecord>();
        statistics.quarantined = std::vector<StatRecord>();
        statistics.accepted = std::vector<StatRecord>();
        statistics.counters = {};
    }
};

void BM_Pass(benchmark::State& benchState)
{
    keepLargeBlocksMapped(); // as the host program does
    const std::int64_t messages = benchState.range(0);
    const ListSizes sizes = benchState.range(1) == 0 ? ListSizes{5000, 200, 50} : ListSizes{50000, 2000, 500};
    const std::string root = benchRoot();
    const std::string pristine = root + "/pristine";
    const std::string mail = root + "/mail";
    fs::remove_all(root);
    fs::create_directories(root + "/install");

    PassSetUp setUp(root + "/install");
    // The floor's set of listed addresses; the rest of what was listed is
    // only needed to write the inbox, and is let go before the passes so
    // that their peak holds no more of the benchmark's own data than this.
    std::unordered_set<std::string> known;
    {
        const ListedValues listed = fillLists(setUp.state.data.lists(), sizes);
        writeInbox(pristine, messages, listed);
        known.insert(listed.whiteAddresses.begin(), listed.whiteAddresses.end());
        known.insert(listed.blackAddresses.begin(), listed.blackAddresses.end());
    }
    DebugLog log(openAppendOnlyFile(root + "/KVNLog.txt"), systemClock());

    Seconds floorTime{0};
    Seconds passTime{0};
    std::vector<double> ratios;
    std::int64_t peakKb = 0;
    std::int64_t growthKb = 0;
    bool peakIsThePass = true;
    for (auto _ : benchState) {
        linkInbox(pristine, mail);
        const auto floorStart = std::chrono::steady_clock::now();
        if (runFloor(mail, known) != messages)
            benchState.SkipWithError("the floor did not handle every message");
        const Seconds floorTook = std::chrono::steady_clock::now() - floorStart;
        floorTime += floorTook;

        linkInbox(pristine, mail);
        setUp.open(mail);
        malloc_trim(0);
        peakIsThePass = resetResidentPeak() && peakIsThePass;
        const std::int64_t before = statusKilobytes("VmRSS");
        const auto passStart = std::chrono::steady_clock::now();
        PassContext context = setUp.state.passContext(*setUp.application, log, systemClock());
        const PassEnd end = AnalizeNewMail(context);
        const Seconds took = std::chrono::steady_clock::now() - passStart;
        benchState.SetIterationTime(took.count());
        passTime += took;
        ratios.push_back(floorTook.count() / took.count());
        peakKb = std::max(peakKb, statusKilobytes("VmHWM"));
        growthKb = std::max(growthKb, statusKilobytes("VmHWM") - before);
        if (end != PassEnd::Finished)
            benchState.SkipWithError("the pass did not finish");
        if (!fs::is_empty(mail + "/new"))
            benchState.SkipWithError("the pass left messages in new/");
    }
    const double iterations = static_cast<double>(benchState.iterations());
    const double passRate = static_cast<double>(messages) * iterations / passTime.count();
    const double floorRate = static_cast<double>(messages) * iterations / floorTime.count();
    benchState.counters["pass_msgs_per_s"] = passRate;
    benchState.counters["floor_msgs_per_s"] = floorRate;
    benchState.counters["pass_to_floor"] = passRate / floorRate;
    std::sort(ratios.begin(), ratios.end());
    if (!ratios.empty())
        benchState.counters["pass_to_floor_median"] = ratios.size() % 2 == 1
            ? ratios[ratios.size() / 2]
            : (ratios[ratios.size() / 2 - 1] + ratios[ratios.size() / 2]) / 2;
    benchState.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
    benchState.counters["pass_growth_MB"] = static_cast<double>(growthKb) / 1024.0;
    if (!peakIsThePass)
        benchState.SetLabel("peak is the process's, not the pass's");
    setUp.application.reset();
    fs::remove_all(root);
}

// range(0): messages (2,000 for a quick look and a profile); range(1): 0 for 5,000 list entries, 1 for 50,000.
BENCHMARK(BM_Pass)
    ->ArgsProduct({{2000, 20000, 80000}, {0, 1}})
    ->ArgNames({"messages", "lists50k"})
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kvn::bench
