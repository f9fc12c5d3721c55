// Many rounds of: the engine starts, several threads ask for passes while
// messages arrive, and the host disconnects at a random moment. Each round
// checks that every message is in exactly one folder, that the data files
// read back whole, and that no two passes ran at once; a deadlock would
// leave the round hanging.
#include "tests/addin/engine_fixture.h"

#include "lists/profile_data.h"

#include <cstdio>
#include <map>
#include <random>
#include <thread>

namespace kvn {
namespace {

using testing::patience;

constexpr int rounds = 50;
constexpr int requesters = 3;
constexpr int messagesPerRound = 12;
constexpr int requestsPerThread = 20;

struct Round {
    explicit Round(std::mt19937& random) : random_(random)
    {
        setRegistryRoot(productRegistryRoot(registry.get()));
        testing::makeMaildir(root());
        testing::makeMaildir(root() + "/.KVN Quarantined");
        std::filesystem::create_directories(installDir());
        EXPECT_TRUE(writeString("", setting::InstallDir, installDir()));
        EXPECT_TRUE(writeString("Default", setting::Run, "03.01.2024"));
        EXPECT_TRUE(writeDword("Default", setting::StartUp, 1));
        EXPECT_TRUE(writeString("Default", setting::StopTime, "45366.0"));
        storeLists();
    }
    ~Round() { setRegistryRoot(productRegistryRoot()); }

    std::string root() const { return temp / "mail"; }
    std::string installDir() const { return temp / "install"; }

    // A friend, whose mail is trusted, and a foe, whose mail is deleted;
    // everyone else is quarantined.
    void storeLists()
    {
        ProfileData data(installDir(), "Default", realFileSystem(), clock);
        ASSERT_TRUE(prepareDataFolder(realFileSystem(), installDir(), installDir() + "/Default").ok());
        insertAddressEntry(data.lists(), true, ListEntry(2, "Ann", "ann@example.org", 0, "2024.03.01", ""));
        insertAddressEntry(data.lists(), false, ListEntry(2, "Spam", "spam@spam.example", 0, "2024.03.01", ""));
        ASSERT_TRUE(data.saveAll().ok());
    }

    // Delivered as a mail program does: written in tmp/, renamed into new/.
    void deliver(int number)
    {
        static const char* senders[] = {"Ann <ann@example.org>", "Spam <spam@spam.example>", "Cy <cy@else.example>"};
        const std::string name = "s" + std::to_string(number);
        const std::string tmp = root() + "/tmp/" + name;
        testing::putMessage(root(), "tmp", name, testing::localSeconds(2024, 3, 15, 11, number % 60),
            testing::messageText("round message", senders[number % 3]));
        ASSERT_EQ(std::rename(tmp.c_str(), (root() + "/new/" + name).c_str()), 0);
        delivered.push_back(name);
    }

    void run()
    {
        gate.runRealPasses();
        application = outlook::openMaildirApplication({testing::storeAt(root())}, "Default");
        EngineServices services{application, realFileSystem(), clock, ui, odbc::realOdbc(), nullptr,
            openAppendOnlyFile(temp / "KVNLog.txt"), nullptr, nullptr,
            [this](PassContext& context) { return gate(context); }};
        CMain engine(std::move(services));
        ASSERT_TRUE(engine.constructedOK());

        const int disconnectAfter = std::uniform_int_distribution<int>(0, messagesPerRound)(random_);
        std::atomic<bool> stopAsking{false};
        std::vector<std::thread> threads;
        for (int i = 0; i < requesters; ++i)
            threads.emplace_back([&] {
                for (int request = 0; request < requestsPerThread && !stopAsking.load(); ++request) {
                    engine.RequestRun();
                    std::this_thread::yield();
                }
            });
        for (int i = 0; i < messagesPerRound; ++i) {
            if (i == disconnectAfter)
                engine.Shutdown();
            deliver(i);
            engine.RequestRun();
        }
        if (disconnectAfter == messagesPerRound)
            engine.Shutdown();
        stopAsking.store(true);
        for (std::thread& thread : threads)
            thread.join();
        engine.Shutdown();
        EXPECT_FALSE(engine.IsBusy() && engine.startupFinished()) << "every worker ended";
        checkMessages();
        checkDataFiles(engine.startupFinished());
        EXPECT_LE(gate.maxRunning(), 1);
    }

    void checkMessages()
    {
        std::map<std::string, int> seen;
        for (const std::string& folder : {root(), root() + "/.KVN Quarantined", root() + "/.Trash"}) {
            for (const std::string& file : testing::messageFiles(folder)) {
                const std::string name = file.substr(4);
                ++seen[name.substr(0, name.find(":2,"))];
            }
            std::error_code error;
            EXPECT_TRUE(std::filesystem::is_empty(folder + "/tmp", error) || error) << "nothing left half-moved";
        }
        for (const std::string& name : delivered)
            EXPECT_EQ(seen[name], 1) << name;
        EXPECT_EQ(seen.size(), delivered.size());
    }

    void checkDataFiles(bool saved)
    {
        ProfileData data(installDir(), "Default", realFileSystem(), clock);
        const DataProblems problems = data.readAll();
        EXPECT_TRUE(problems.ok()) << (problems.messages.empty() ? "" : problems.messages.front());
        EXPECT_EQ(data.lists().sequence(ListKind::Address, true).size(), 1u) << "the friend is kept";
        for (const auto& entry : std::filesystem::directory_iterator(installDir() + "/Default"))
            EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos) << "no save left behind";
        if (saved) {
            const double stopTime = parseStopTime(readString("Default", setting::StopTime, ""));
            EXPECT_GE(stopTime, 45366.0);
            EXPECT_LE(stopTime, clock.nowOleDate());
        } else
            EXPECT_EQ(readString("Default", setting::StopTime, ""), "45366.0");
    }

    std::mt19937& random_;
    testing::TempFolder temp;
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    SettableClock clock{testing::oleDateOf(2024, 3, 15, 12, 0)};
    testing::ScriptedUi ui;
    testing::PassGate gate;
    outlook::ApplicationPtr application;
    std::vector<std::string> delivered;
};

TEST(EngineStressTest, RequestsArrivingMailAndADisconnectionAtARandomMomentLoseNothing)
{
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < rounds && !::testing::Test::HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Round(random).run();
    }
}

} // namespace
} // namespace kvn
