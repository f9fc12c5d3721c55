#include "tools/kvnctl/command.h"

#include "lists/registry_root.h"
#include "lists/settings.h"

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

std::string CommandContext::dataFolder() const { return installDir() + "/" + options.profile; }

int CommandContext::fail(const std::string& message) const
{
    err << "kvnctl: " << message << '\n';
    return exitFileError;
}

} // namespace kvn::kvnctl
