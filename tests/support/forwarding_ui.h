// Ui wrappers for tests: ForwardingUi hands every call to another Ui (a
// ScriptedUi the test keeps, where the code under test wants to own its Ui);
// LockCheckingUi also counts the calls made while a lock was held, which
// must be none for code that takes the engine lock.
#pragma once

#include "platform/core/ui.h"

#include <mutex>

namespace kvn::testing {

class ForwardingUi : public Ui {
public:
    explicit ForwardingUi(Ui& real) : real_(real) { }

    MessageAnswer showMessage(const MessageRequest& request) override
    {
        noteCall();
        return real_.showMessage(request);
    }
    std::optional<std::string> chooseFileToOpen(const FileOpenRequest& request) override
    {
        noteCall();
        return real_.chooseFileToOpen(request);
    }
    void showProgress(const std::string& caption, int position) override
    {
        noteCall();
        real_.showProgress(caption, position);
    }
    bool openWithShell(const std::string& file, const std::string& folder) override
    {
        noteCall();
        return real_.openWithShell(file, folder);
    }
    void showBalloon(const BalloonRequest& request) override
    {
        noteCall();
        real_.showBalloon(request);
    }
    std::optional<double> chooseDateTime(const std::string& caption, const std::string& text, double initial) override
    {
        noteCall();
        return real_.chooseDateTime(caption, text, initial);
    }

protected:
    virtual void noteCall() { }

private:
    Ui& real_;
};

class LockCheckingUi final : public ForwardingUi {
public:
    LockCheckingUi(Ui& real, std::mutex& lock) : ForwardingUi(real), lock_(lock) { }
    int callsWithLockHeld = 0;

private:
    void noteCall() override
    {
        if (!lock_.try_lock()) {
            ++callsWithLockHeld;
            return;
        }
        lock_.unlock();
    }
    std::mutex& lock_;
};

} // namespace kvn::testing
