// What "kvnctl uninstall --purge" deletes: the profiles' data and the
// installation's own files, never anything else. Only names Korvane writes
// are deleted; a folder still holding other files afterwards is kept and
// named, and the user's mail (which lives elsewhere) is never looked at.
#pragma once

#include "platform/registry/registry.h"

#include <string>
#include <vector>

namespace kvn::kvnctl {

// The profiles' data folders in the installation folder: its direct
// sub-folders that hold the profile lock file or one of the four data files.
// Empty when the folder cannot be listed.
std::vector<std::string> profileDataFolders(const std::string& installDir);

struct PurgeOutcome {
    std::vector<std::string> deleted; // files, folders and registry keys, in the order deleted
    std::vector<std::string> kept; // folders left because something else is in them
    std::vector<std::string> failed; // what could not be deleted, with the reason
};

// Deletes, in each data folder, the four data files, the copies kept beside
// damaged ones ("lists.lst.damaged", "lists.lst.damaged.1", ...) and the lock
// file, then the folder when it is empty; the IP-to-country database in the
// installation folder, then that folder when it is empty; the debug log; and
// the product's key in the registry (every option and Install_Dir).
PurgeOutcome purgeInstallation(
    registry::Registry& registry, const std::string& installDir, const std::vector<std::string>& dataFolders);

} // namespace kvn::kvnctl
