#include "host/addin_connections.h"

#include "lists/profile_data.h"
#include "lists/settings.h"
#include "platform/core/file_system.h"
#include "platform/core/profile_name.h"
#include "platform/core/xdg_paths.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace kvn::host {
namespace {

std::vector<AddinEntry> addinsToLoad(registry::Registry& registry)
{
    std::vector<AddinEntry> load;
    for (AddinEntry& entry : registeredAddins(registry))
        if (loadsAtStart(entry))
            load.push_back(std::move(entry));
    return load;
}

// The installation folder the installer made, or the default one made now.
std::string readyInstallDir()
{
    const std::string installDir = readInstallDir();
    std::error_code ignored;
    if (installDir == defaultInstallDir() && std::filesystem::create_directories(installDir, ignored))
        std::filesystem::permissions(installDir, std::filesystem::perms::owner_all, ignored);
    return installDir;
}

} // namespace

void AddinConnections::tell(const std::string& text) { ui_.showMessage({text, hostCaption, MessageIcon::Error}); }

bool AddinConnections::takeProfileLock(const std::string& profile)
{
    const std::string installDir = readyInstallDir();
    const std::string dataFolder = profileDataFolder(installDir, profile);
    if (const Status ready = prepareDataFolder(realFileSystem(), installDir, dataFolder); !ready.ok()) {
        tell("The add-ins were not started: " + ready.error());
        return false;
    }
    // A kvnctl that writes is done in a moment and is waited for; another
    // host is not.
    auto lock = ProfileLock::acquire(dataFolder, {hostProgramName, std::chrono::milliseconds(0)});
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::holds_alternative<std::string>(lock) && std::get<std::string>(lock).find("kvnctl") != std::string::npos
        && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        lock = ProfileLock::acquire(dataFolder, {hostProgramName, std::chrono::milliseconds(0)});
    }
    if (const std::string* why = std::get_if<std::string>(&lock)) {
        tell("The add-ins were not started: " + *why);
        return false;
    }
    lock_ = std::move(std::get<std::unique_ptr<ProfileLock>>(lock));
    return true;
}

bool AddinConnections::connectAll(com::IDispatch* application, const std::string& profile)
{
    const std::vector<AddinEntry> entries = addinsToLoad(registry_);
    if (entries.empty())
        return true;
    if (!takeProfileLock(profile)) {
        profileUnavailable_ = true;
        return false;
    }
    bool all = true;
    for (const AddinEntry& entry : entries) {
        LoadedAddin::Loaded loaded = LoadedAddin::load(registry_, entry);
        if (loadsOnlyOnce(entry) && !clearLoadOnce(registry_, entry))
            tell("The add-in \"" + displayName(entry) + "\" is to be loaded only once, but the registry could not "
                + "be changed; it will be loaded again at the next start.");
        if (!loaded.addin) {
            tell("The add-in \"" + displayName(entry) + "\" could not be loaded: " + loaded.error + ".");
            all = false;
            continue;
        }
        if (loaded.addin->connect(application, com::ext_cm_Startup) != com::S_OK) {
            all = false;
            continue;
        }
        addins_.push_back(std::move(loaded.addin));
    }
    for (const auto& addin : addins_)
        (void)addin->startupComplete();
    if (addins_.empty())
        lock_.reset();
    return all;
}

void AddinConnections::disconnectAll()
{
    for (const auto& addin : addins_)
        (void)addin->beginShutdown();
    for (auto addin = addins_.rbegin(); addin != addins_.rend(); ++addin)
        (void)(*addin)->disconnect(com::ext_dm_HostShutdown);
    addins_.clear();
    lock_.reset();
}

bool AddinConnections::allIdle()
{
    for (const auto& addin : addins_)
        if (!addin->isIdle())
            return false;
    return true;
}

} // namespace kvn::host
