// The stores of a mail profile, kept in the registry under HKEY_CURRENT_USER
// "Software\Brindlecraft\KVN Host\Profiles\<profile>\Stores\<n>" (n = 1, 2,
// ...), each key holding the REG_SZ values "DisplayName", "Path",
// "Contacts", "TrashFolder" and "SentFolder".
#pragma once

#include "platform/outlook/maildir_store.h"
#include "platform/registry/registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace kvn::outlook {

// The registry key of a profile's stores.
std::string profileStoresKey(std::string_view profile);

// The profile's stores in their order. A profile with no store configured
// uses homeFolder/Maildir as "Personal Folders" when that folder exists.
std::vector<StoreConfig> loadProfileStores(
    registry::Registry& registry, std::string_view profile, const std::string& homeFolder);

// Appends a store to the profile; false when the registry cannot be written.
bool addProfileStore(registry::Registry& registry, std::string_view profile, const StoreConfig& store);

} // namespace kvn::outlook
