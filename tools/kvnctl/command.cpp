#include "tools/kvnctl/command.h"

#include "lists/settings.h"
#include "platform/core/profile_name.h"

#include <ostream>

namespace kvn::kvnctl {

std::unique_ptr<Printer> CommandContext::takePrinter()
{
    return arguments.takeFlag("--json") ? makeJsonPrinter(out) : makeTextPrinter(out);
}

std::string CommandContext::installDir() const
{
    if (options.installDir)
        return *options.installDir;
    return readInstallDir();
}

std::string CommandContext::dataFolder() const
{
    if (const Status name = checkProfileName(options.profile); !name.ok())
        throw UsageError(name.error());
    return profileDataFolder(installDir(), options.profile);
}

int CommandContext::fail(const std::string& message) const
{
    err << "kvnctl: " << message << '\n';
    return exitFileError;
}

} // namespace kvn::kvnctl
