// A kvnctl command group ("lists", "stats", ...): its name, its usage lines,
// and the function that runs it on the rest of the command line.
#pragma once

#include "tools/kvnctl/arguments.h"
#include "tools/kvnctl/printer.h"

#include "platform/registry/registry.h"

#include <chrono>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvn::kvnctl {

// A failure found deep inside a command (a file that cannot be read), which
// main turns into "kvnctl: " and the message, and exit status 1.
struct CommandFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws CommandFailure when the hive exists but cannot be read, so that no
// command takes it for an empty one and acts on what it would then show.
void requireReadableHive(registry::Registry& registry, registry::Hive hive);

// Exit statuses of every command. Scripts tell them apart: 3 means the
// command understood what was asked and there was nothing to do (already on
// the list, not on the list, no such folder or e-mail), 4 that another
// program holds the profile, so trying again later may work.
enum ExitStatus {
    exitSuccess = 0,
    exitFileError = 1, // a file could not be read or written, or the output not written
    exitUsageError = 2, // the command line was not understood; nothing was read or written
    exitNothingToChange = 3, // nothing to change, or what was named is not there
    exitProfileInUse = 4, // the profile's data is in use by another program
};

// The lines of the help that explain the exit statuses.
extern const char* const exitStatusHelp;

struct GlobalOptions {
    std::optional<std::string> installDir; // --install-dir; else the configured one
    std::string profile = "Default"; // --profile
    // How long a writer waits while another kvnctl holds the profile's lock.
    std::chrono::milliseconds lockWait{3000};
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
    // The installation folder: --install-dir, else the configured one; throws
    // CommandFailure when the registry that holds it cannot be read.
    std::string installDir() const;
    // The profile's data folder: installDir() + "/" + profile. Throws
    // UsageError when the profile name is not one plain folder name.
    std::string dataFolder() const;
    // Writes "kvnctl: " and the message to err; returns exitFileError.
    int fail(const std::string& message) const;
    // The same for a request there was nothing to do for; exitNothingToChange.
    int nothingToChange(const std::string& message) const;
    // The same for a profile lock that could not be had: exitProfileInUse
    // when another program holds it, else exitFileError.
    int lockRefused(const std::string& why) const;
};

struct CommandGroup {
    const char* name;
    // One line per form of the command, without the leading "kvnctl ".
    std::vector<const char*> usage;
    int (*run)(CommandContext& context);
    // More of the group's help (its syntax, its escapes); may be nullptr.
    const char* notes = nullptr;
};

// Every command group, in the order the help lists them.
const std::vector<CommandGroup>& commandGroups();

} // namespace kvn::kvnctl
