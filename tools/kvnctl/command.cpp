#include "tools/kvnctl/command.h"

#include "lists/registry_root.h"
#include "lists/settings.h"
#include "platform/core/profile_name.h"

#include <ostream>

namespace kvn::kvnctl {

std::unique_ptr<Printer> CommandContext::takePrinter()
{
    return arguments.takeFlag("--json") ? makeJsonPrinter(out) : makeTextPrinter(out);
}

void requireReadableHive(registry::Registry& registry, registry::Hive hive)
{
    if (const Status readable = registry.hiveStatus(hive); !readable.ok())
        throw CommandFailure("the registry cannot be read: " + readable.error() + "; nothing was done");
}

std::string CommandContext::installDir() const
{
    if (options.installDir)
        return *options.installDir;
    requireReadableHive(rootRegistry(), registryRoot().hive);
    return readInstallDir();
}

std::string CommandContext::dataFolder() const
{
    if (const Status name = checkProfileName(options.profile); !name.ok())
        throw UsageError(name.error());
    return profileDataFolder(installDir(), options.profile);
}

const char* const exitStatusHelp = "Exit status: 0 success; 1 a file could not be read or written (or the output\n"
                                   "not written); 2 a usage error, nothing done; 3 nothing to change or not found\n"
                                   "(already on the list, not on the list, no such folder or EntryID); 4 the\n"
                                   "profile is in use by another program.\n";

int CommandContext::fail(const std::string& message) const
{
    err << "kvnctl: " << message << '\n';
    return exitFileError;
}

int CommandContext::nothingToChange(const std::string& message) const
{
    err << "kvnctl: " << message << '\n';
    return exitNothingToChange;
}

int CommandContext::lockRefused(const std::string& why) const
{
    err << "kvnctl: " << why << '\n';
    // The lock names its holder ("... is in use by process 123") only when
    // another program holds it; any other refusal is a file error.
    return why.find(" in use by ") != std::string::npos ? exitProfileInUse : exitFileError;
}

} // namespace kvn::kvnctl
