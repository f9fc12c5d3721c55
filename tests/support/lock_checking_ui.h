// A Ui for tests of code that takes the engine lock: it forwards every call
// to another Ui (a ScriptedUi) and counts the calls made while the lock was
// held, which must be none.
#pragma once

#include "platform/core/ui.h"

#include <mutex>

namespace kvn::testing {

// Forwards to the scripted Ui, noting at each call whether `lock` was free.
class LockCheckingUi final : public Ui {
public:
    LockCheckingUi(Ui& real, std::mutex& lock) : real_(real), lock_(lock) { }
    int callsWithLockHeld = 0;

    MessageAnswer showMessage(const MessageRequest& request) override
    {
        note();
        return real_.showMessage(request);
    }
    std::optional<std::string> chooseFileToOpen(const FileOpenRequest& request) override
    {
        note();
        return real_.chooseFileToOpen(request);
    }
    void showProgress(const std::string& caption, int position) override
    {
        note();
        real_.showProgress(caption, position);
    }
    bool openWithShell(const std::string& file, const std::string& folder) override
    {
        note();
        return real_.openWithShell(file, folder);
    }
    void showBalloon(const BalloonRequest& request) override
    {
        note();
        real_.showBalloon(request);
    }
    std::optional<double> chooseDateTime(const std::string& caption, const std::string& text, double initial) override
    {
        note();
        return real_.chooseDateTime(caption, text, initial);
    }

private:
    void note()
    {
        if (!lock_.try_lock()) {
            ++callsWithLockHeld;
            return;
        }
        lock_.unlock();
    }
    Ui& real_;
    std::mutex& lock_;
};

} // namespace kvn::testing
