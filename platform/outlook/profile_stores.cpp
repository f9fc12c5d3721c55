// Reading and writing a profile's stores in the registry.
#include "platform/outlook/profile_stores.h"

#include <sys/stat.h>

namespace kvn::outlook {
namespace {

using registry::Hive;

constexpr std::size_t maxValueBytes = 64 * 1024;

std::string readText(registry::Registry& reg, const std::string& key, std::string_view name, std::string fallback)
{
    auto value = reg.queryValue(Hive::CurrentUser, key, name, maxValueBytes);
    if (!value || value->type != static_cast<std::uint32_t>(registry::ValueType::String))
        return fallback;
    std::string text = value->bytes;
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

bool isFolder(const std::string& path)
{
    struct stat info { };
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

std::string profileStoresKey(std::string_view profile)
{
    return "Software\\Brindlecraft\\KVN Host\\Profiles\\" + std::string(profile) + "\\Stores";
}

std::vector<StoreConfig> loadProfileStores(
    registry::Registry& reg, std::string_view profile, const std::string& homeFolder)
{
    std::vector<StoreConfig> stores;
    std::string key = profileStoresKey(profile);
    for (const auto& sub : reg.subKeyNames(Hive::CurrentUser, key)) {
        std::string storeKey = key + "\\" + sub;
        StoreConfig defaults;
        StoreConfig store;
        store.root = readText(reg, storeKey, "Path", {});
        if (store.root.empty())
            continue; // a store without a folder cannot be opened
        store.displayName = readText(reg, storeKey, "DisplayName", defaults.displayName);
        store.contactsFolder = readText(reg, storeKey, "Contacts", {});
        store.trashFolder = readText(reg, storeKey, "TrashFolder", defaults.trashFolder);
        store.sentFolder = readText(reg, storeKey, "SentFolder", defaults.sentFolder);
        stores.push_back(std::move(store));
    }
    std::string personal = homeFolder + "/Maildir";
    if (stores.empty() && isFolder(personal)) {
        StoreConfig store;
        store.root = personal;
        stores.push_back(std::move(store));
    }
    return stores;
}

bool addProfileStore(registry::Registry& reg, std::string_view profile, const StoreConfig& store)
{
    std::string key = profileStoresKey(profile);
    std::size_t number = reg.subKeyNames(Hive::CurrentUser, key).size() + 1;
    while (reg.keyExists(Hive::CurrentUser, key + "\\" + std::to_string(number)))
        ++number;
    std::string storeKey = key + "\\" + std::to_string(number);
    return reg.setValue(Hive::CurrentUser, storeKey, "DisplayName", registry::stringValue(store.displayName))
        && reg.setValue(Hive::CurrentUser, storeKey, "Path", registry::stringValue(store.root))
        && reg.setValue(Hive::CurrentUser, storeKey, "Contacts", registry::stringValue(store.contactsFolder))
        && reg.setValue(Hive::CurrentUser, storeKey, "TrashFolder", registry::stringValue(store.trashFolder))
        && reg.setValue(Hive::CurrentUser, storeKey, "SentFolder", registry::stringValue(store.sentFolder));
}

} // namespace kvn::outlook
