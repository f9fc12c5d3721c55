// kvnctl lists add and lists remove: load the profile under its lock, change
// the lists through the FilterLists operations, save. Bad input is refused
// before anything is read or written.
#pragma once

#include "tools/kvnctl/command.h"

namespace kvn::kvnctl {

int addListEntry(CommandContext& context);
int removeListEntry(CommandContext& context);

} // namespace kvn::kvnctl
