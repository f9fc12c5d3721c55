// A Ui for tests: it expects the message boxes in the order the test scripted
// them, gives the scripted answers, and records everything shown. An
// unexpected box, or a scripted one that never came, fails the test.
#pragma once

#include "platform/core/ui.h"

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kvn::testing {

class ScriptedUi final : public Ui {
public:
    ~ScriptedUi() override;

    // The next box must have this caption; it is answered with `answer`.
    ScriptedUi& expect(std::string caption, MessageAnswer answer);

    // The next file-open box is answered with this file (none: cancelled);
    // a box that was not scripted fails the test.
    ScriptedUi& expectFileOpen(std::optional<std::string> answer);

    MessageAnswer showMessage(const MessageRequest& request) override;
    std::optional<std::string> chooseFileToOpen(const FileOpenRequest& request) override;
    void showProgress(const std::string& caption, int position) override;
    bool openWithShell(const std::string& fileOrAddress, const std::string& workingFolder) override;
    // Balloons are recorded, never expected; safe from any thread.
    void showBalloon(const BalloonRequest& request) override;
    std::vector<BalloonRequest> balloons() const;
    // Cancelled: no test here scripts a date.
    std::optional<double> chooseDateTime(const std::string& caption, const std::string& text, double initial) override;

    const std::vector<MessageRequest>& shown() const { return shown_; }
    const std::vector<std::string>& opened() const { return opened_; }
    const std::vector<FileOpenRequest>& fileOpenRequests() const { return fileOpenRequests_; }
    // Every progress report, in order: caption and position.
    const std::vector<std::pair<std::string, int>>& progress() const { return progress_; }
    // What openWithShell answers (true unless the test says otherwise).
    void setShellOpenSucceeds(bool succeeds) { shellOpenSucceeds_ = succeeds; }

private:
    struct Expected {
        std::string caption;
        MessageAnswer answer;
    };
    std::deque<Expected> expected_;
    std::deque<std::optional<std::string>> fileOpenAnswers_;
    std::vector<FileOpenRequest> fileOpenRequests_;
    std::vector<std::pair<std::string, int>> progress_;
    std::vector<MessageRequest> shown_;
    std::vector<std::string> opened_;
    mutable std::mutex balloonsLock_;
    std::vector<BalloonRequest> balloons_;
    bool shellOpenSucceeds_ = true;
};

} // namespace kvn::testing
