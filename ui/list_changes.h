// The list operations of the Friend and Foe commands, each one holding the
// engine lock for itself alone, so that the commands never hold it across a
// message box or a mail-store call. Internal to the commands.
//
// New entries have a receivedCount of 0, today's date ("%Y.%m.%d") as
// dateAdded and no lastReceived. An Address entry holds the display name as
// value and the address (lower case) as extra, and goes in at the place
// addressInsertPosition gives; a Domain entry holds the domain without its
// "@" and is appended.
#pragma once

#include "ui/judge_commands.h"

#include <string>
#include <vector>

namespace kvn::judge {

// findDomain(address, trust).
LookupResult lookupDomain(JudgeContext& context, const std::string& address, bool trust);

// findAddress({displayName, address}, trust).
LookupResult lookupAddress(JudgeContext& context, const std::string& address, bool trust);

// Puts the address on the list of `trust`: looked up again, an entry on the
// other list is moved (inserted here, then taken out there with its index
// byte), an address on neither list is inserted, one already here is left.
void trustOrBlockAddress(JudgeContext& context, const std::string& displayName, const std::string& address, bool trust);

// Takes out of one polarity's Address sequence, walking from its last entry
// to its first, every entry whose address holds `domain` (with its "@")
// anywhere but at its very start. The entries taken, in the order taken.
std::vector<ListEntry> takeAddressesOfDomain(JudgeContext& context, bool white, const std::string& domain);

// Inserts the entries back into one polarity's Address sequence, each at
// its sorted place.
void putAddressesBack(JudgeContext& context, bool white, const std::vector<ListEntry>& entries);

// Appends a Domain entry for `domain` (given without its "@").
void appendDomain(JudgeContext& context, bool white, const std::string& domain);

// Appends to DeliveredMailIds.
void recordDelivered(JudgeContext& context, const std::string& entryId);

} // namespace kvn::judge
