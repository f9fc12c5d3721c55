// Writes a hive in the registry export format, the form the reader reads and
// a person can edit: every key as a section in the order the keys were made,
// each value in its plainest form, and the comments where they stood.
#pragma once

#include "platform/registry/hive_tree.h"

#include <string>
#include <string_view>

namespace kvn::registry {

// The file text: UTF-8, LF line ends. A REG_SZ is written as "text" when its
// bytes are UTF-8 without control characters, and a REG_DWORD of four bytes as
// dword:; any other REG_SZ, and every REG_EXPAND_SZ, as hex(1): or hex(2):
// UTF-16LE code units with a terminating NUL (reg_text.h); any other value as
// hex(N): bytes, so that every value reads back with exactly the type and bytes
// it had.
std::string writeHive(const HiveTree& tree, std::string_view hiveName);

} // namespace kvn::registry
