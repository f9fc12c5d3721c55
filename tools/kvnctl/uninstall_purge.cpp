#include "tools/kvnctl/uninstall_purge.h"

#include "analysis/debug_log.h"
#include "analysis/ip2c_lookup.h"
#include "lists/profile_data.h"
#include "lists/registry_root.h"
#include "platform/core/profile_lock.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace kvn::kvnctl {
namespace {

namespace fs = std::filesystem;

constexpr std::array dataFiles
    = {DataFile::Lists, DataFile::OwnAddresses, DataFile::QuarantineDecisions, DataFile::Statistics};

bool isDataFileName(const std::string& name)
{
    for (const DataFile file : dataFiles)
        if (name == dataFileName(file))
            return true;
    return false;
}

// A copy kept beside a damaged data file: "lists.lst.damaged", then
// "lists.lst.damaged.1", "lists.lst.damaged.2", ...
bool isKeptCopyName(const std::string& name)
{
    for (const DataFile file : dataFiles) {
        const std::string base = std::string(dataFileName(file)) + ".damaged";
        if (name == base)
            return true;
        if (name.size() > base.size() + 1 && name.starts_with(base + ".")
            && name.find_first_not_of("0123456789", base.size() + 1) == std::string::npos)
            return true;
    }
    return false;
}

bool isProfileDataFolder(const fs::path& folder)
{
    std::error_code error;
    if (fs::exists(folder / ProfileLock::fileName, error))
        return true;
    for (const DataFile file : dataFiles)
        if (fs::exists(folder / dataFileName(file), error))
            return true;
    return false;
}

class Purge {
public:
    explicit Purge(PurgeOutcome& outcome) : outcome_(outcome) { }

    // A file (never followed when it is a link) that may or may not be there.
    void file(const fs::path& path)
    {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(path, error);
        if (error || !fs::exists(status))
            return;
        if (fs::is_directory(status)) {
            outcome_.failed.push_back(path.string() + ": a folder where a file was expected");
            return;
        }
        if (fs::remove(path, error))
            outcome_.deleted.push_back(path.string());
        else
            outcome_.failed.push_back(path.string() + ": " + error.message());
    }

    // Removes the folder when nothing is left in it; names it as kept otherwise.
    void folderIfEmpty(const fs::path& folder)
    {
        std::error_code error;
        if (!fs::is_directory(fs::symlink_status(folder, error)))
            return;
        if (!fs::is_empty(folder, error) || error) {
            outcome_.kept.push_back(folder.string());
            return;
        }
        if (fs::remove(folder, error))
            outcome_.deleted.push_back(folder.string());
        else
            outcome_.failed.push_back(folder.string() + ": " + error.message());
    }

    void dataFolder(const fs::path& folder)
    {
        std::vector<fs::path> ours;
        std::error_code error;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
            const std::string name = entry->path().filename().string();
            if (isDataFileName(name) || isKeptCopyName(name) || name == ProfileLock::fileName)
                ours.push_back(entry->path());
        }
        if (error)
            outcome_.failed.push_back(folder.string() + ": " + error.message());
        for (const fs::path& path : ours)
            file(path);
        folderIfEmpty(folder);
    }

    void registryKey(registry::Registry& registry, registry::Hive hive, const std::string& key)
    {
        if (registry.subKeyNames(hive, key).empty() && registry.valueNames(hive, key).empty())
            return;
        const std::string named = std::string(registry::hiveName(hive)) + "\\" + key;
        if (registry.deleteKey(hive, key))
            outcome_.deleted.push_back(named);
        else
            outcome_.failed.push_back(named + ": " + registry.writeStatus(hive).error());
    }

private:
    PurgeOutcome& outcome_;
};

} // namespace

std::vector<std::string> profileDataFolders(const std::string& installDir)
{
    std::vector<std::string> folders;
    std::error_code error;
    for (fs::directory_iterator entry(installDir, error), end; !error && entry != end; entry.increment(error))
        if (fs::is_directory(entry->symlink_status()) && isProfileDataFolder(entry->path()))
            folders.push_back(entry->path().string());
    return folders;
}

PurgeOutcome purgeInstallation(
    registry::Registry& registry, const std::string& installDir, const std::vector<std::string>& dataFolders)
{
    PurgeOutcome outcome;
    Purge purge(outcome);
    for (const std::string& folder : dataFolders)
        purge.dataFolder(folder);
    purge.file(ip2cDatabasePath(installDir));
    purge.folderIfEmpty(installDir);
    purge.file(debugLogPath());
    const RegistryRoot product = productRegistryRoot(&registry);
    purge.registryKey(registry, product.hive, product.parts[0] + "\\" + product.parts[1] + "\\" + product.parts[2]);
    return outcome;
}

} // namespace kvn::kvnctl
