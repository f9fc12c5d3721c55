// How kvnctl describes list entries and the profile's data folder to the
// commands of the lists and stats groups.
#pragma once

#include "lists/list_entry.h"
#include "lists/list_kind.h"
#include "lists/profile_data.h"
#include "tools/kvnctl/command.h"
#include "tools/kvnctl/printer.h"

#include <array>
#include <optional>
#include <string>

namespace kvn::kvnctl {

// Every field of an entry, the kind with its code and its name, and its list
// ("white" or "black", from isWhite), as a map.
void printListEntry(Printer& printer, const ListEntry& entry);
// The same fields inside a map the caller opened.
void printListEntryFields(Printer& printer, const ListEntry& entry);
// The columns people see of a table of entries.
extern const std::array<Column, 7> listEntryColumns;

// address, domain, word, filetype, iprange, country; throws UsageError.
ListKind parseKindWord(const std::string& word);

// "--white" or "--black", exactly one of them; throws UsageError otherwise.
bool takePolarity(Arguments& arguments);

// The profile's data, read without creating or changing any file, for
// commands that only read it. A profile without data yet is empty; a file cut
// short gives the records before the cut (the warning goes to stderr). Empty
// (after saying why) when a file could not be read at all; status is then the
// exit status to return.
std::optional<ProfileData> loadForReading(CommandContext& context, int& status);

} // namespace kvn::kvnctl
