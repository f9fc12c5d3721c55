// The engine over a real Maildir store, a real registry folder and real data
// files in a temporary folder. Passes go through a PassGate, which counts
// them and can hold one on a latch, so that a test knows exactly how many
// passes ran and which one a request came during; the banner records what
// the engine did with it, at the window boundary.
#pragma once

#include "addin/cmain.h"
#include "lists/registry_root.h"
#include "lists/settings.h"
#include "lists/settings_table.h"
#include "platform/registry/registry.h"
#include "tests/outlook/maildir_fixture.h"
#include "tests/support/local_time.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace kvn::testing {

using namespace std::chrono_literals;

// A test's failure guard for waits that end as soon as what they wait for
// happens; never a delay of its own.
inline constexpr std::chrono::seconds patience{30};

// Counts passes; the pass numbered `holdPass` (from 1) waits until release()
// or a stop request.
class PassGate {
public:
    // From now on a pass is AnalizeNewMail after the counting.
    void runRealPasses()
    {
        std::lock_guard<std::mutex> guard(lock_);
        realPasses_ = true;
    }

    PassEnd operator()(PassContext& context)
    {
        std::unique_lock<std::mutex> hold(lock_);
        const int number = ++started_;
        maxRunning_ = std::max(maxRunning_, ++running_);
        changed_.notify_all();
        if (number == holdPass_) {
            // Polled, so that the engine's stop request (an atomic it owns)
            // also frees a held pass.
            while (!released_ && !context.stopping())
                changed_.wait_for(hold, 1ms);
        }
        const bool real = realPasses_;
        hold.unlock();
        const PassEnd end = real ? AnalizeNewMail(context) : context.stopping() ? PassEnd::Stopped : PassEnd::Finished;
        hold.lock();
        ++finished_;
        --running_;
        changed_.notify_all();
        return end;
    }

    void hold(int passNumber)
    {
        std::lock_guard<std::mutex> guard(lock_);
        holdPass_ = passNumber;
        released_ = false;
    }
    void release()
    {
        std::lock_guard<std::mutex> guard(lock_);
        released_ = true;
        changed_.notify_all();
    }
    // True once `count` passes have started.
    bool waitStarted(int count)
    {
        std::unique_lock<std::mutex> guard(lock_);
        return changed_.wait_for(guard, patience, [&] { return started_ >= count; });
    }
    int started() const
    {
        std::lock_guard<std::mutex> guard(lock_);
        return started_;
    }
    int finished() const
    {
        std::lock_guard<std::mutex> guard(lock_);
        return finished_;
    }

    // The most passes that ever ran at the same time.
    int maxRunning() const
    {
        std::lock_guard<std::mutex> guard(lock_);
        return maxRunning_;
    }

private:
    bool realPasses_ = false;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    int started_ = 0;
    int finished_ = 0;
    int running_ = 0;
    int maxRunning_ = 0;
    int holdPass_ = 0;
    bool released_ = false;
};

// The banner's window calls and texts, in order.
class RecordingBanner final : public Banner {
public:
    std::vector<std::string> calls() const
    {
        std::lock_guard<std::mutex> guard(lock_);
        return calls_;
    }

protected:
    void showWindow() override { record("show"); }
    void hideWindow() override { record("hide"); }
    void setWindowText(const std::string& text) override { record("text " + text); }

private:
    void record(std::string call)
    {
        std::lock_guard<std::mutex> guard(lock_);
        calls_.push_back(std::move(call));
    }
    mutable std::mutex lock_;
    std::vector<std::string> calls_;
};

// The first run of a profile with every source off: an empty white list and
// "Run" written. While `holding` is set it waits (for release or a stop).
class FirstRunStandIn {
public:
    void operator()(EngineState& state, const std::atomic<bool>& stop)
    {
        std::unique_lock<std::mutex> guard(lock_);
        ++runs_;
        entered_.notify_all();
        while (holding_ && !stop.load())
            entered_.wait_for(guard, 1ms);
        guard.unlock();
        {
            std::lock_guard<std::mutex> lists(state.lock);
            state.data.lists().clear();
        }
        writeString(profileSubKey(state.data.profileName()), setting::Run, "03.15.2024");
    }
    void hold()
    {
        std::lock_guard<std::mutex> guard(lock_);
        holding_ = true;
    }
    void release()
    {
        std::lock_guard<std::mutex> guard(lock_);
        holding_ = false;
    }
    bool waitEntered()
    {
        std::unique_lock<std::mutex> guard(lock_);
        return entered_.wait_for(guard, patience, [&] { return runs_ > 0; });
    }
    int runs() const
    {
        std::lock_guard<std::mutex> guard(lock_);
        return runs_;
    }

private:
    mutable std::mutex lock_;
    std::condition_variable entered_;
    int runs_ = 0;
    bool holding_ = false;
};

class EngineTest : public ::testing::Test {
protected:
    EngineTest()
    {
        setRegistryRoot(productRegistryRoot(registry.get()));
        makeMaildir(root());
        makeMaildir(quarantineDir());
        std::filesystem::create_directories(installDir());
        EXPECT_TRUE(writeString("", setting::InstallDir, installDir()));
        EXPECT_TRUE(writeString("Default", setting::Run, "03.01.2024"));
    }
    ~EngineTest() override
    {
        owned.reset();
        setRegistryRoot(productRegistryRoot());
    }

    std::string root() const { return temp / "mail"; }
    std::string quarantineDir() const { return root() + "/.KVN Quarantined"; }
    std::string trashDir() const { return root() + "/.Trash"; }
    std::string installDir() const { return temp / "install"; }
    std::string dataFolder() const { return installDir() + "/Default"; }
    std::string logPath() const { return temp / "KVNLog.txt"; }

    void setOption(std::string_view name, std::uint32_t value) { ASSERT_TRUE(writeDword("Default", name, value)); }

    // Starts the engine; `gate` counts and holds its passes. Over the store
    // at root() unless the test gives the object model to use.
    CMain& start(outlook::ApplicationPtr model = nullptr)
    {
        auto recording = std::make_unique<RecordingBanner>();
        banner = recording.get();
        application = model ? std::move(model) : outlook::openMaildirApplication({storeAt(root())}, "Default");
        EngineServices services{application, realFileSystem(), clock, ui, odbc::realOdbc(),
            [this](EngineState& state, const std::atomic<bool>& stop) { firstRun(state, stop); },
            openAppendOnlyFile(logPath()), std::move(recording), nullptr,
            [this](PassContext& context) { return gate(context); }};
        owned = std::make_unique<CMain>(std::move(services));
        return *owned;
    }

    // Starts the engine and waits for the end of its start-up run and of any
    // pass it asked for.
    CMain& startAndSettle(outlook::ApplicationPtr model = nullptr)
    {
        CMain& started = start(std::move(model));
        EXPECT_TRUE(started.constructedOK());
        EXPECT_TRUE(started.waitUntilIdle(patience));
        return started;
    }

    void settle() { ASSERT_TRUE(owned->waitUntilIdle(patience)); }

    // Unread e-mails in the quarantine folder, received a day before now.
    void quarantineUnread(int count)
    {
        for (int i = 0; i < count; ++i)
            putMessage(quarantineDir(), "new", "q" + std::to_string(i), localSeconds(2024, 3, 14, 12, 0),
                messageText("quarantined " + std::to_string(i)));
    }

    std::vector<std::string> balloonTexts() const
    {
        std::vector<std::string> texts;
        for (const BalloonRequest& balloon : ui.balloons())
            texts.push_back(balloon.text);
        return texts;
    }

    TempFolder temp;
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    SettableClock clock{oleDateOf(2024, 3, 15, 12, 0)};
    ScriptedUi ui;
    PassGate gate;
    FirstRunStandIn firstRun;
    RecordingBanner* banner = nullptr;
    outlook::ApplicationPtr application;
    std::unique_ptr<CMain> owned;
};

} // namespace kvn::testing
