#include "platform/core/ui.h"

#include "platform/core/diagnostics.h"

#include <array>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace kvn {
namespace {

std::vector<MessageAnswer> buttonsOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return {MessageAnswer::Ok};
    case MessageButtons::OkCancel:
        return {MessageAnswer::Ok, MessageAnswer::Cancel};
    case MessageButtons::YesNo:
        return {MessageAnswer::Yes, MessageAnswer::No};
    case MessageButtons::YesNoCancel:
        return {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel};
    case MessageButtons::RetryCancel:
        return {MessageAnswer::Retry, MessageAnswer::Cancel};
    }
    return {MessageAnswer::Ok};
}

const char* iconWord(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return "";
    case MessageIcon::Error:
        return "error: ";
    case MessageIcon::Warning:
        return "warning: ";
    case MessageIcon::Information:
        return "";
    case MessageIcon::Question:
        return "";
    }
    return "";
}

} // namespace

MessageAnswer defaultAnswer(const MessageRequest& request)
{
    const std::vector<MessageAnswer> answers = buttonsOf(request.buttons);
    const auto index = static_cast<std::size_t>(request.defaultButton);
    return index < answers.size() ? answers[index] : answers.front();
}

MessageAnswer ConsoleUi::showMessage(const MessageRequest& request)
{
    reportToStandardError(std::string(iconWord(request.icon)) + request.caption + ": " + request.text);
    return defaultAnswer(request);
}

std::optional<std::string> ConsoleUi::chooseFileToOpen(const FileOpenRequest&) { return std::nullopt; }

std::optional<double> ConsoleUi::chooseDateTime(const std::string&, const std::string&, double) { return std::nullopt; }

void ConsoleUi::showProgress(const std::string& caption, int position)
{
    reportToStandardError(caption + ": " + std::to_string(position) + "%");
}

void ConsoleUi::showBalloon(const BalloonRequest& request)
{
    reportToStandardError(std::string(iconWord(request.icon)) + request.title + ": " + request.text);
}

bool ConsoleUi::openWithShell(const std::string& fileOrAddress, const std::string& workingFolder)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    std::array<char*, 3> argv = {const_cast<char*>("xdg-open"), const_cast<char*>(fileOrAddress.c_str()), nullptr};
    pid_t child = 0;
    const int failed = posix_spawnp(&child, "xdg-open", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return false;
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace kvn
