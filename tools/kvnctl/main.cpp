// kvnctl: the command-line face of a Korvane profile, for people who run the
// filter without a window, for scripts, and for looking inside a profile.
#include "tools/kvnctl/command.h"

#include <cstring>
#include <iostream>

namespace kvn::kvnctl {
namespace {

void printUsage(std::ostream& out)
{
    out << "usage: kvnctl [--install-dir DIR] [--profile NAME] COMMAND ...\n\ncommands:\n";
    for (const CommandGroup& group : commandGroups()) {
        for (const char* line : group.usage)
            out << "  kvnctl " << line << '\n';
    }
    out << "\nExit status: 0 success, 1 a file could not be read or written, 2 a usage error.\n";
}

const CommandGroup* findGroup(const std::string& name)
{
    for (const CommandGroup& group : commandGroups()) {
        if (name == group.name)
            return &group;
    }
    return nullptr;
}

int run(int argc, char** argv)
{
    GlobalOptions options;
    std::vector<std::string> words(argv + 1, argv + argc);
    std::size_t at = 0;
    // Global options come before the command's name.
    for (; at < words.size() && words[at].rfind("--", 0) == 0; ++at) {
        const std::string& word = words[at];
        if (word == "--help" || word == "-h") {
            printUsage(std::cout);
            return exitSuccess;
        }
        if ((word == "--install-dir" || word == "--profile") && at + 1 < words.size()) {
            (word == "--profile" ? options.profile : options.installDir.emplace()) = words[++at];
            continue;
        }
        std::cerr << "kvnctl: unknown or incomplete option " << word << "\n\n";
        printUsage(std::cerr);
        return exitUsageError;
    }
    if (at == words.size()) {
        printUsage(std::cerr);
        return exitUsageError;
    }
    if (options.profile.empty())
        options.profile = "Default";
    const CommandGroup* group = findGroup(words[at]);
    if (group == nullptr) {
        std::cerr << "kvnctl: unknown command " << words[at] << "\n\n";
        printUsage(std::cerr);
        return exitUsageError;
    }
    CommandContext context(
        options, Arguments({words.begin() + static_cast<std::ptrdiff_t>(at) + 1, words.end()}), std::cout, std::cerr);
    try {
        return group->run(context);
    } catch (const UsageError& error) {
        std::cerr << "kvnctl " << group->name << ": " << error.what() << "\nusage:\n";
        for (const char* line : group->usage)
            std::cerr << "  kvnctl " << line << '\n';
        return exitUsageError;
    } catch (const CommandFailure& failure) {
        return context.fail(failure.what());
    }
}

} // namespace
} // namespace kvn::kvnctl

int main(int argc, char** argv) { return kvn::kvnctl::run(argc, argv); }
