// Whether a configured mail store can be opened as a Maildir++ root, asked
// by the host before it offers the stores to its add-ins, so that a user
// learns why nothing is filtered instead of seeing an empty mailbox.
#pragma once

#include "platform/outlook/maildir_store.h"

#include <string>

namespace kvn::host {

// Empty when the store's root is a folder holding cur/, new/ and tmp/;
// otherwise why not, in words for the user.
std::string storeProblem(const outlook::StoreConfig& store);

} // namespace kvn::host
