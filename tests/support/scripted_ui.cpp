#include "tests/support/scripted_ui.h"

#include <gtest/gtest.h>

namespace kvn::testing {

ScriptedUi::~ScriptedUi()
{
    for (const Expected& missing : expected_)
        ADD_FAILURE() << "The message box \"" << missing.caption << "\" was expected but never shown";
    if (!fileOpenAnswers_.empty())
        ADD_FAILURE() << fileOpenAnswers_.size() << " file-open boxes were expected but never shown";
    if (!dateTimeAnswers_.empty())
        ADD_FAILURE() << dateTimeAnswers_.size() << " date-and-time questions were expected but never asked";
}

ScriptedUi& ScriptedUi::expect(std::string caption, MessageAnswer answer)
{
    expected_.push_back({std::move(caption), answer});
    return *this;
}

MessageAnswer ScriptedUi::showMessage(const MessageRequest& request)
{
    shown_.push_back(request);
    if (expected_.empty()) {
        ADD_FAILURE() << "Unexpected message box \"" << request.caption << "\": " << request.text;
        return defaultAnswer(request);
    }
    const Expected next = expected_.front();
    expected_.pop_front();
    EXPECT_EQ(next.caption, request.caption) << "with the text: " << request.text;
    return next.answer;
}

ScriptedUi& ScriptedUi::expectFileOpen(std::optional<std::string> answer)
{
    fileOpenAnswers_.push_back(std::move(answer));
    return *this;
}

std::optional<std::string> ScriptedUi::chooseFileToOpen(const FileOpenRequest& request)
{
    fileOpenRequests_.push_back(request);
    if (fileOpenAnswers_.empty()) {
        ADD_FAILURE() << "Unexpected file-open box for " << request.fileName;
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(fileOpenAnswers_.front());
    fileOpenAnswers_.pop_front();
    return answer;
}

ScriptedUi& ScriptedUi::expectDateTime(std::optional<double> answer)
{
    dateTimeAnswers_.push_back(answer);
    return *this;
}

std::optional<double> ScriptedUi::chooseDateTime(const std::string& caption, const std::string& text, double initial)
{
    dateTimeRequests_.push_back({caption, text, initial});
    if (dateTimeAnswers_.empty()) {
        ADD_FAILURE() << "Unexpected date-and-time question \"" << caption << "\"";
        return std::nullopt;
    }
    const std::optional<double> answer = dateTimeAnswers_.front();
    dateTimeAnswers_.pop_front();
    return answer;
}

void ScriptedUi::showProgress(const std::string& caption, int position) { progress_.emplace_back(caption, position); }

bool ScriptedUi::openWithShell(const std::string& fileOrAddress, const std::string&)
{
    opened_.push_back(fileOrAddress);
    return shellOpenSucceeds_;
}

void ScriptedUi::showBalloon(const BalloonRequest& request)
{
    std::lock_guard<std::mutex> hold(balloonsLock_);
    balloons_.push_back(request);
}

std::vector<BalloonRequest> ScriptedUi::balloons() const
{
    std::lock_guard<std::mutex> hold(balloonsLock_);
    return balloons_;
}

} // namespace kvn::testing
