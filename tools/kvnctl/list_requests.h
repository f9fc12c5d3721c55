// What "lists add" and "lists remove" are asked to do, read from the command
// line by the add-item rules before anything is read or written; bad input
// throws UsageError.
#pragma once

#include "lists/entry_rules.h"
#include "lists/filter_lists.h"
#include "tools/kvnctl/arguments.h"

#include <string>
#include <vector>

namespace kvn::kvnctl {

// The entries to add as the add-item rules read the value (and --name,
// --to), in input order, without the empty ones; never empty.
struct AddRequest {
    bool white;
    ListKind kind;
    std::vector<EntryTexts> entries;
    bool move; // take a value the other list covers off it (the dialog's "Yes")
};

// The entry to remove.
struct RemoveRequest {
    bool white;
    ListKind kind;
    std::string value; // as typed; an IP range's lower bound as "%d.%d.%d.%d"
    std::string upper; // an IP range's upper bound, or empty for any
};

AddRequest readAddRequest(Arguments& arguments);
RemoveRequest readRemoveRequest(Arguments& arguments);

// The position of the first entry of the sequence the request names, or -1.
// An entry is named as typed or as the add-item rules would store the value,
// ignoring case, so that entries stored before those rules can go too.
int positionIn(const ListSequence& sequence, const RemoveRequest& request);

} // namespace kvn::kvnctl
