// The add-item rules: how the text a person typed for one kind of entry is
// split at commas, checked and normalised before anything is added, so that
// every way of adding an entry (the add-item dialog, the command line)
// accepts the same input and stores it the same way: addresses in lower case
// and paired with their names, domains in lower case without "@" and blanks,
// words in lower case, file types without dots and blanks, IP bounds as
// "%d.%d.%d.%d", countries spelled as the country list spells them.
#pragma once

#include "lists/list_kind.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

// Why input was refused: the message box's text and its title.
struct InputRefusal {
    std::string text;
    std::string title;

    bool operator==(const InputRefusal&) const = default;
};

// The value and extra of one new entry, as ListEntry holds them: address ->
// name, address; IP range -> from, to; the other kinds -> value, empty.
struct EntryTexts {
    std::string value;
    std::string extra;

    bool operator==(const EntryTexts&) const = default;
};

// The entries typed, in input order, or why the input was refused (entries
// then empty). Entries may have an empty key (two commas in a row, a comma
// at the end, a value of blanks): the Add command skips those.
struct AddItemInput {
    std::vector<EntryTexts> entries;
    std::optional<InputRefusal> refusal;
};

// Reads the fields of the add-item dialog for a kind:
// - address: first = the names, second = the addresses, both split at ","
//   in step (names run out to empty names, surplus names are dropped);
// - domain, word/expression, attached file type: first = the values;
// - IP range: first = from, second = to (dotted quads, from <= to);
// - country: first = one name of the country list, in any letter case.
// A field of nothing but blanks counts as not filled in.
AddItemInput readAddItemInput(ListKind kind, std::string_view first, std::string_view second = {});

// True when the text is empty or holds nothing but blanks.
bool isBlank(std::string_view text);

// The add-item check of one address: an "@" after the first character, a
// ".", and the last "." after the last "@".
bool isValidAddress(std::string_view address);

} // namespace kvn
