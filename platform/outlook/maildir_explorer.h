// The explorer of a Maildir application: one pane, the Outlook bar, whose
// groups live in the registry (outlook_bar_store.h). Not for callers: the
// application gives it as its ActiveExplorer.
#pragma once

#include "platform/outlook/maildir_store.h"
#include "platform/outlook/outlook.h"
#include "platform/outlook/outlook_explorer.h"
#include "platform/registry/registry.h"

#include <functional>
#include <string>
#include <vector>

namespace kvn::outlook {

// `mapi` gives the application's namespace, through which shortcut targets
// are found. The registry must outlive the explorer and everything reached
// through it.
ExplorerPtr makeMaildirExplorer(std::function<NamespacePtr()> mapi, registry::Registry& registry, std::string profile,
    std::vector<StoreConfig> stores);

} // namespace kvn::outlook
