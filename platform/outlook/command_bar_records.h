// The permanent command bars of a profile as the registry keeps them, under
// HKEY_CURRENT_USER "Software\Brindlecraft\KVN Host\Profiles\<profile>\CommandBars\<n>":
// "Name" (REG_SZ), "Position" and "Visible" (REG_DWORD), and the bar's
// permanent controls in "Controls\<m>" (m = 1, 2, ... in their order) with
// "Type", "Style", "Enabled", "Visible" (REG_DWORD), "Caption", "TooltipText",
// "Tag" (REG_SZ), "Face" (REG_BINARY) and a popup's items in its own "Controls".
//
// A bar is saved whole under a fresh number and "Name" is written last; only
// then is the older copy deleted. A key without "Name" is a save that did not
// finish and is not read; of two keys with the same name the later one is
// the bar. So an interrupted save leaves the bar as it was before.
#pragma once

#include "platform/registry/registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace kvn::outlook {

struct CommandBarControlRecord {
    int type = 0;
    std::string caption;
    std::string tooltipText;
    std::string tag;
    int style = 0;
    bool enabled = true;
    bool visible = true;
    std::string face;
    std::vector<CommandBarControlRecord> controls; // a popup's items
    bool operator==(const CommandBarControlRecord&) const = default;
};

struct CommandBarRecord {
    std::string name;
    int position = 1;
    bool visible = false;
    std::vector<CommandBarControlRecord> controls;
    bool operator==(const CommandBarRecord&) const = default;
};

std::string commandBarsKey(std::string_view profile);

// The stored bars in the order they were first stored; none when the hive
// cannot be read.
std::vector<CommandBarRecord> loadCommandBars(registry::Registry& registry, std::string_view profile);

// Stores the bar, replacing the stored bar of its name. False when the
// registry cannot be written (the stored bar is then the one before).
bool saveCommandBar(registry::Registry& registry, std::string_view profile, const CommandBarRecord& bar);

// Removes every stored bar of that name; false when the registry cannot be written.
bool deleteCommandBar(registry::Registry& registry, std::string_view profile, std::string_view name);

} // namespace kvn::outlook
