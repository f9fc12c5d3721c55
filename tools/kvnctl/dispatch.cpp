#include "tools/kvnctl/dispatch.h"

#include "platform/core/profile_name.h"
#include "tools/kvnctl/command.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace kvn::kvnctl {
namespace {

void printUsage(std::ostream& out)
{
    out << "usage: kvnctl [--install-dir DIR] [--profile NAME] COMMAND ...\n\ncommands:\n";
    for (const CommandGroup& group : commandGroups()) {
        for (const char* line : group.usage)
            out << "  kvnctl " << line << '\n';
    }
    out << "\n\"kvnctl COMMAND --help\" tells more of a command. Options may stand anywhere after the\n"
           "command; \"--\" ends them, so that a value may start with \"-\".\n\n"
        << exitStatusHelp;
}

// The usage lines, and with the notes for --help.
void printGroupUsage(std::ostream& out, const CommandGroup& group, bool withNotes)
{
    out << "usage:\n";
    for (const char* line : group.usage)
        out << "  kvnctl " << line << '\n';
    if (withNotes && group.notes != nullptr)
        out << '\n' << group.notes;
    else if (group.notes != nullptr)
        out << "(kvnctl " << group.name << " --help tells more)\n";
}

const CommandGroup* findGroup(const std::string& name)
{
    for (const CommandGroup& group : commandGroups()) {
        if (name == group.name)
            return &group;
    }
    return nullptr;
}

bool isHelp(const std::string& word) { return word == "--help" || word == "-h"; }

int runGroup(const CommandGroup& group, CommandContext& context)
{
    if (context.arguments.takeFlag("--help") || context.arguments.takeFlag("-h")) {
        printGroupUsage(context.out, group, true);
        return exitSuccess;
    }
    try {
        return group.run(context);
    } catch (const UsageError& error) {
        context.err << "kvnctl: " << group.name << ": " << error.what() << '\n';
        printGroupUsage(context.err, group, false);
        return exitUsageError;
    } catch (const CommandFailure& failure) {
        return context.fail(failure.what());
    }
}

int runCommandLine(
    const std::vector<std::string>& words, std::ostream& out, std::ostream& err, const GlobalOptions& defaults)
{
    GlobalOptions options = defaults;
    std::size_t at = 0;
    // Global options come before the command's name.
    for (; at < words.size() && words[at].size() > 1 && words[at][0] == '-'; ++at) {
        const std::string& word = words[at];
        if (isHelp(word)) {
            printUsage(out);
            return exitSuccess;
        }
        if (word == "--") {
            ++at;
            break;
        }
        if ((word == "--install-dir" || word == "--profile") && at + 1 < words.size()) {
            (word == "--profile" ? options.profile : options.installDir.emplace()) = words[++at];
            continue;
        }
        err << "kvnctl: unknown or incomplete option " << word << "\n\n";
        printUsage(err);
        return exitUsageError;
    }
    if (at == words.size()) {
        printUsage(err);
        return exitUsageError;
    }
    if (options.profile.empty())
        options.profile = "Default";
    // The name becomes a folder and a registry key: refuse it before any command runs.
    if (const Status name = checkProfileName(options.profile); !name.ok()) {
        err << "kvnctl: " << name.error() << '\n';
        return exitUsageError;
    }
    const CommandGroup* group = findGroup(words[at]);
    if (group == nullptr) {
        err << "kvnctl: unknown command " << words[at] << "\n\n";
        printUsage(err);
        return exitUsageError;
    }
    CommandContext context(
        options, Arguments({words.begin() + static_cast<std::ptrdiff_t>(at) + 1, words.end()}), out, err);
    return runGroup(*group, context);
}

} // namespace

int dispatchCommandLine(
    const std::vector<std::string>& words, std::ostream& out, std::ostream& err, const GlobalOptions& defaults)
{
    const int status = runCommandLine(words, out, err, defaults);
    errno = 0;
    out.flush();
    if (out)
        return status;
    // A full disk or a closed pipe: a backup that looks fine but is not.
    const int error = errno;
    err << "kvnctl: the output could not be written whole"
        << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
    return status == exitSuccess ? exitFileError : status;
}

} // namespace kvn::kvnctl
