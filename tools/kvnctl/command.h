// A kvnctl command group ("lists", "stats", ...): its name, its usage lines,
// and the function that runs it on the rest of the command line.
#pragma once

#include "tools/kvnctl/arguments.h"
#include "tools/kvnctl/printer.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace kvn::kvnctl {

// Exit statuses of every command.
enum ExitStatus { exitSuccess = 0, exitFileError = 1, exitUsageError = 2 };

struct GlobalOptions {
    std::optional<std::string> installDir; // --install-dir; else the configured one
    std::string profile = "Default"; // --profile
};

class CommandContext {
public:
    CommandContext(GlobalOptions givenOptions, Arguments givenArguments, std::ostream& output, std::ostream& errors)
        : options(std::move(givenOptions)), arguments(std::move(givenArguments)), out(output), err(errors)
    {
    }

    GlobalOptions options;
    Arguments arguments;
    std::ostream& out;
    std::ostream& err;

    // Takes "--json" and gives the printer the command's result goes to.
    std::unique_ptr<Printer> takePrinter();
    // The installation folder: --install-dir, else the configured one.
    std::string installDir() const;
    // The profile's data folder: installDir() + "/" + profile. Throws
    // UsageError when the profile name is not one plain folder name.
    std::string dataFolder() const;
    // Writes "kvnctl: " and the message to err; returns exitFileError.
    int fail(const std::string& message) const;
};

struct CommandGroup {
    const char* name;
    // One line per form of the command, without the leading "kvnctl ".
    std::vector<const char*> usage;
    int (*run)(CommandContext& context);
};

// Every command group, in the order the help lists them.
const std::vector<CommandGroup>& commandGroups();

} // namespace kvn::kvnctl
