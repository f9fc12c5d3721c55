// What sending an e-mail does to the lists: every recipient neither list
// knows, by domain or by address, becomes a trusted address.
#pragma once

#include "lists/filter_lists.h"
#include "platform/core/clock.h"
#include "platform/outlook/outlook_redemption.h"

#include <mutex>
#include <string>
#include <vector>

namespace kvn {

struct RecipientAddress {
    std::string displayName;
    std::string address; // as the e-mail gives it
};

// The recipients of the e-mail behind `mail`, in order; empty when it names
// none or cannot be read.
std::vector<RecipientAddress> recipientsOf(outlook::SafeMailItem& mail);

// Trusts the recipients: for each, lower-cased, whose domain and then whose
// address is in neither list, a white Address entry (value = the display
// name, extra = the address, dated today "%Y.%m.%d") at its sorted place.
// Recipients with an empty address are passed over. `lock` (the engine
// lock) is held for each list change only. Returns how many were added.
int trustRecipients(
    FilterLists& lists, std::mutex& lock, const std::vector<RecipientAddress>& recipients, const Clock& clock);

} // namespace kvn
