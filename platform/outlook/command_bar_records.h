// The permanent command bars of a profile as the registry keeps them: under
// HKEY_CURRENT_USER "Software\Brindlecraft\KVN Host\Profiles\<profile>\CommandBars"
// one REG_BINARY value per bar, named by the bar's name, holding the bar with
// its permanent controls in the record encoding of the data files: 32-bit
// little-endian integers, texts (and faces) as a 32-bit byte count followed
// by the bytes:
//   bar:      version (1), position, visible, controls
//   controls: count, then each control
//   control:  type, caption, tooltip, tag, style, enabled, visible, face, controls
// A bar is one value, so saving it replaces it whole or not at all. A value
// that does not decode (cut short, too deep, trailing bytes) is not a bar.
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
