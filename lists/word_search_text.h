// A text in lower case prepared for many word look-ups, as a pass makes for
// one subject or body against every Word entry: it knows which byte pairs
// occur in the text, so a word holding a pair the text lacks is passed over
// without a search. The answers are exactly those of wordOccursIn.
// Pairs are told apart by the low six bits of each byte, which keeps letters,
// digits and most punctuation apart in a table small enough to clear for
// every text; pairs that share a slot only cost a search.
#pragma once

#include "lists/list_entry.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvn {

class WordSearchText {
public:
    explicit WordSearchText(std::string lowerCaseText);

    // wordOccursIn(entry, text): the entry's value occurs in the text (an
    // empty value always does).
    bool holds(const ListEntry& entry) const;

    const std::string& text() const { return text_; }

private:
    static std::size_t pairOf(char first, char second)
    {
        return (static_cast<std::size_t>(static_cast<unsigned char>(first)) & 63) << 6
            | (static_cast<unsigned char>(second) & 63);
    }
    bool mayHold(std::string_view word) const;

    std::string text_;
    std::array<std::uint64_t, 4096 / 64> pairs_{};
};

} // namespace kvn
