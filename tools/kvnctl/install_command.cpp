// kvnctl install: the installer's part in the registry. It writes
// "Install_Dir" of the product key and makes that folder, which the filter
// itself only ever reads, and registers the news player the installation
// supplies.
#include "lists/registry_root.h"
#include "lists/settings.h"
#include "lists/settings_table.h"
#include "platform/flash/news_player_registration.h"
#include "platform/registry/registry.h"
#include "tools/kvnctl/command.h"

#include "platform/core/xdg_paths.h"

#include <filesystem>
#include <system_error>

namespace kvn::kvnctl {

int runInstallCommand(CommandContext& context)
{
    auto printer = context.takePrinter();
    context.arguments.expectNoMore();
    std::error_code error;
    const std::string folder
        = std::filesystem::absolute(context.options.installDir.value_or(defaultInstallDir()), error).lexically_normal();
    if (error)
        return context.fail("cannot tell where the installation folder is: " + error.message());
    if (folder.size() > longestSettingString)
        throw UsageError("the installation folder's path has more than 255 bytes and could not be read back");
    // The profiles' data folders go inside: private to the user, as they are.
    std::filesystem::create_directories(folder, error);
    if (!error)
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    if (error)
        return context.fail("cannot create " + folder + ": " + error.message());
    if (!writeString("", setting::InstallDir, folder))
        return context.fail("cannot write Install_Dir in " + registry::defaultRegistryFolder());
    if (!registerNewsPlayer(rootRegistry()))
        return context.fail("cannot register the news player in " + registry::defaultRegistryFolder());
    printer->beginMap();
    printer->field("installDir", folder);
    printer->field("registry", registry::defaultRegistryFolder());
    printer->field("newsPlayer", versionedNewsPlayerProgId());
    printer->endMap();
    printer->finish();
    return exitSuccess;
}

} // namespace kvn::kvnctl
