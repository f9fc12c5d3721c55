#include "host/sendmail.h"

#include "platform/core/program_run.h"
#include "platform/core/utf8_text.h"

#include <cerrno>
#include <cstring>

namespace kvn::host {
namespace {

// Bytes that are not UTF-8 shown as "?", so that any output can be shown.
std::string readable(std::string_view text)
{
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Character c = decodeUtf8At(text, at);
        if (c.isRawByte)
            shown += '?';
        else
            shown.append(text.substr(at, c.length));
        at += c.length;
    }
    return shown;
}

// What the program wrote, as one readable text: valid UTF-8, trimmed.
std::string said(const ProgramRun& run)
{
    std::string text = run.output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty())
        return {};
    return ":\n" + readable(text) + (run.outputCut ? "\n..." : "");
}

ProgramRun runFound(std::vector<std::string> words, std::string_view message)
{
    ProgramRun run = runProgram(words, message);
    if (run.started || words[0].find('/') != std::string::npos)
        return run;
    const std::string name = words[0];
    for (const char* folder : {"/usr/sbin/", "/usr/lib/"}) {
        words[0] = folder + name;
        ProgramRun again = runProgram(words, message);
        if (again.started)
            return again;
    }
    return run;
}

} // namespace

SendmailResult sendWithSendmail(std::string_view command, std::string_view message)
{
    const std::string quoted = "\"" + std::string(command) + "\"";
    const auto words = splitCommandWords(command);
    if (!words)
        return {false, "The mail command " + quoted + " cannot be read: a quote is not closed."};
    if (words->empty())
        return {false, "No mail command is set."};
    const ProgramRun run = runFound(*words, message);
    if (!run.started)
        return {false, "The mail command " + quoted + " cannot be started: " + run.startError + "."};
    if (run.signal != 0)
        return {false, "The mail command " + quoted + " was ended by signal " + std::to_string(run.signal) + said(run)};
    if (run.exitStatus != 0)
        return {false,
            "The mail command " + quoted + " failed with exit status " + std::to_string(run.exitStatus) + said(run)};
    if (!run.inputTaken)
        return {false, "The mail command " + quoted + " ended before it read the whole message" + said(run)};
    return {true, {}};
}

std::string withUnixLineEnds(std::string_view message)
{
    std::string text;
    text.reserve(message.size());
    for (std::size_t at = 0; at < message.size(); ++at)
        if (!(message[at] == '\r' && at + 1 < message.size() && message[at + 1] == '\n'))
            text += message[at];
    return text;
}

} // namespace kvn::host
