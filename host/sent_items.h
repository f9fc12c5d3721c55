// What appears in the Sent Items folder while the host runs: messages that
// another mail client (or the host itself) sent. The host raises ItemSend for
// each, once.
#pragma once

#include "platform/outlook/outlook.h"

#include <set>
#include <string>
#include <vector>

namespace kvn::host {

class SentItems {
public:
    // Remembers what the folder holds now; that is not new. A null folder
    // never has anything new.
    explicit SentItems(outlook::FolderPtr sent);

    // The mail items that appeared since the last call (or since the
    // folder was first read), in the folder's order.
    std::vector<outlook::ItemPtr> appeared();
    // A message the host filed itself (after raising ItemSend for it): it
    // is not new when it appears.
    void remember(const std::string& entryId);

private:
    outlook::FolderPtr sent_;
    std::set<std::string> seen_;
};

} // namespace kvn::host
