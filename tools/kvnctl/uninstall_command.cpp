// kvnctl uninstall [--purge]: removing Korvane as a user would. It
// unregisters the filter's add-in, registers the clean-up add-in so that the
// host's next start deletes the bar "KVN" (and the clean-up add-in then
// unregisters itself), and leaves the lists, statistics and settings where
// they are, so that installing again goes on with them. --purge deletes
// those too (uninstall_purge.h) and names everything it deleted. Refused,
// with nothing changed, while the host or another kvnctl holds a profile.
#include "addin/korvhub_registration.h"
#include "platform/com/system_folder.h"
#include "platform/core/profile_lock.h"
#include "sweep/korvsweep_registration.h"
#include "tools/kvnctl/command.h"
#include "tools/kvnctl/uninstall_purge.h"

#include <filesystem>
#include <memory>
#include <system_error>

namespace kvn::kvnctl {
namespace {

using registry::Hive;

constexpr std::size_t maxPathBytes = 64 * 1024;

// The module the add-in's class names (InprocServer32); empty when none.
std::string registeredModule(registry::Registry& reg, const com::AddinRegistration& addin)
{
    const auto value
        = reg.queryValue(Hive::ClassesRoot, com::classKey(addin.clsid) + "\\InprocServer32", "", maxPathBytes);
    if (!value)
        return {};
    std::string path = value->bytes;
    while (!path.empty() && path.back() == '\0')
        path.pop_back();
    return path;
}

bool isRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The clean-up module: in the system folder, where it unregisters itself
// from, else beside the filter's module (an installation in the user's own
// folder). Empty when neither has one.
std::string cleanUpModule(const std::string& korvhubModule)
{
    const std::filesystem::path inSystemFolder = std::filesystem::path(com::systemFolder()) / korvsweepModuleFileName;
    if (isRegularFile(inSystemFolder))
        return inSystemFolder.string();
    if (!korvhubModule.empty()) {
        const std::filesystem::path beside
            = std::filesystem::path(korvhubModule).parent_path() / korvsweepModuleFileName;
        if (isRegularFile(beside))
            return std::filesystem::absolute(beside).lexically_normal().string();
    }
    return {};
}

void printPaths(Printer& printer, std::string_view name, const std::vector<std::string>& paths)
{
    printer.key(name);
    printer.beginList();
    for (const std::string& path : paths)
        printer.string(path);
    printer.endList();
}

} // namespace

int runUninstallCommand(CommandContext& context)
{
    auto printer = context.takePrinter();
    const bool purge = context.arguments.takeFlag("--purge");
    context.arguments.expectNoMore();
    registry::Registry& reg = registry::processRegistry();
    requireReadableHive(reg, Hive::ClassesRoot);
    requireReadableHive(reg, Hive::CurrentUser);
    const std::string installDir = context.installDir();

    // Every profile held until the end, so that no host starts with the
    // filter half removed or saves data that --purge just deleted.
    const std::vector<std::string> dataFolders = profileDataFolders(installDir);
    std::vector<std::unique_ptr<ProfileLock>> locks;
    for (const std::string& folder : dataFolders) {
        auto lock = ProfileLock::acquire(folder, {"kvnctl", context.options.lockWait});
        if (const std::string* why = std::get_if<std::string>(&lock))
            return context.lockRefused(*why + "; close it and uninstall again (nothing was removed)");
        locks.push_back(std::move(std::get<std::unique_ptr<ProfileLock>>(lock)));
    }

    const com::AddinRegistration korvhub = korvhubRegistration();
    const std::string korvhubModule = registeredModule(reg, korvhub);
    if (com::FAILED(com::unregisterAddin(reg, korvhub)))
        return context.fail("cannot write the registry: " + reg.writeStatus(Hive::CurrentUser).error());

    const std::string cleanUp = cleanUpModule(korvhubModule);
    if (!cleanUp.empty() && com::FAILED(com::registerAddin(reg, korvsweepRegistration(), cleanUp)))
        return context.fail("the add-in was removed, but the clean-up add-in could not be registered: "
            + reg.writeStatus(Hive::CurrentUser).error());

    printer->beginMap();
    printer->field("removedAddin", korvhubModule);
    printer->field("cleanUpAddin", cleanUp);
    if (cleanUp.empty())
        context.err << "kvnctl: no " << korvsweepModuleFileName << " in " << com::systemFolder()
                    << ": the bar \"KVN\" stays in the host's command bars\n";
    if (!purge) {
        printer->field("dataKept", installDir);
        printer->endMap();
        printer->finish();
        return exitSuccess;
    }
    const PurgeOutcome purged = purgeInstallation(reg, installDir, dataFolders);
    printPaths(*printer, "deleted", purged.deleted);
    printPaths(*printer, "kept", purged.kept);
    printPaths(*printer, "failed", purged.failed);
    printer->endMap();
    printer->finish();
    return purged.failed.empty() ? exitSuccess : exitFileError;
}

} // namespace kvn::kvnctl
