// Contacts kept as vCard files (3.0 and 4.0): the display name and e-mail
// addresses of each card.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvn::outlook {

struct ContactCard {
    std::string displayName; // FN, unescaped; empty when the card has none
    std::vector<std::string> emails; // every EMAIL property in card order
};

// Every BEGIN:VCARD..END:VCARD card in the text, in order. Folded lines
// (CRLF or LF followed by a space or tab) are unfolded, value escapes (\, \; \n)
// are decoded, property names are matched without regard to case and with or
// without a group prefix ("item1.EMAIL"). A card missing its END line still
// counts up to the end of the text. Text outside cards is ignored. Names and
// addresses are valid UTF-8: bytes that are not become U+FFFD, NUL a space.
std::vector<ContactCard> parseVCards(std::string_view text);

// The cards of every *.vcf file directly in the folder, files in name order.
// Empty when the folder is missing or unreadable; unreadable files are skipped.
std::vector<ContactCard> readContactsFolder(const std::string& folder);

} // namespace kvn::outlook
