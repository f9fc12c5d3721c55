// A generated inbox and list set for the pass benchmark: unread messages with
// realistic headers in a Maildir on tmpfs, senders drawn from the lists in a
// fixed mix, and the lists themselves in the order a load from the lists file
// gives them.
#pragma once

#include "lists/filter_lists.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kvn::bench {

// How big the lists are: address entries (half white, half black), domains
// and words.
struct ListSizes {
    std::int64_t addresses;
    std::int64_t domains;
    std::int64_t words;
};

// The listed values the generator draws senders and subjects from.
struct ListedValues {
    std::vector<std::string> whiteAddresses;
    std::vector<std::string> blackAddresses;
    std::vector<std::string> whiteDomains;
    std::vector<std::string> blackDomains;
    std::vector<std::string> blackWords;
};

// Fills the lists as loading a saved lists file does (each sequence sorted
// as the file is, the indexes built after the appends); returns what it put
// there. A few file types are listed too; no message carries one of them.
ListedValues fillLists(FilterLists& lists, const ListSizes& sizes);

// Writes `count` unread messages into maildir/new (the folders are created),
// received within the last hour: 40 % from white addresses, 10 % from white
// domains, 10 % from black addresses, 5 % from black domains and 35 % from
// senders no list knows, a quarter of those with a black word in the subject.
// 3 to 8 Received lines each, a quarter with an HTML part, one in twenty with
// an attachment.
void writeInbox(const std::string& maildir, std::int64_t count, const ListedValues& listed);

// Makes `to` a Maildir holding hard links to the messages of `pristine`
// (after removing whatever `to` held): a fresh inbox in a fraction of the
// time of writing one, with the same received times.
void linkInbox(const std::string& pristine, const std::string& to);

} // namespace kvn::bench
