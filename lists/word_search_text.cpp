#include "lists/word_search_text.h"

#include "lists/list_matching.h"

namespace kvn {

WordSearchText::WordSearchText(std::string lowerCaseText) : text_(std::move(lowerCaseText))
{
    const char* text = text_.data();
    for (std::size_t i = 1; i < text_.size(); ++i) {
        const std::size_t pair = pairOf(text[i - 1], text[i]);
        pairs_[pair / 64] |= std::uint64_t{1} << (pair % 64);
    }
}

// Every byte pair of a word that occurs in the text occurs in the text.
bool WordSearchText::mayHold(std::string_view word) const
{
    for (std::size_t i = 1; i < word.size(); ++i) {
        const std::size_t pair = pairOf(word[i - 1], word[i]);
        if ((pairs_[pair / 64] & (std::uint64_t{1} << (pair % 64))) == 0)
            return false;
    }
    return true;
}

bool WordSearchText::holds(const ListEntry& entry) const { return mayHold(entry.value) && wordOccursIn(entry, text_); }

} // namespace kvn
