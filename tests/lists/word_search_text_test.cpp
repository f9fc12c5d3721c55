// WordSearchText answers as searching the text for each word, over texts and
// words drawn from a small alphabet (so that words often do occur), with
// bytes from 0x80 up, empty words and one-byte words. "!", "#" and "\xE1"
// share the low six bits of "a", "c" and "a": pairs the text lacks that look
// like pairs it has must still be answered by the search.
#include "lists/list_kind.h"
#include "lists/list_matching.h"
#include "lists/word_search_text.h"

#include <gtest/gtest.h>
#include <random>

namespace kvn {
namespace {

TEST(WordSearchTextTest, AnswersAsSearchingForEachWord)
{
    const char* const pieces[] = {"a", "b", "c", " ", "/", "\xC3\xA9", "\xC3", "\xFF", "\x00", "!", "#", "\xE1"};
    std::mt19937 random(21);
    const auto randomText = [&](std::size_t maxPieces) {
        std::string text;
        for (auto n = random() % (maxPieces + 1); n > 0; --n) {
            const char* piece = pieces[random() % std::size(pieces)];
            text += *piece ? std::string(piece) : std::string(1, '\0');
        }
        return text;
    };
    int held = 0;
    int missed = 0;
    for (int round = 0; round < 2000; ++round) {
        const WordSearchText text(randomText(40));
        for (int i = 0; i < 30; ++i) {
            const ListEntry word(listKindCode(ListKind::Word), randomText(6), "", 0, "", "");
            const bool expected = wordOccursIn(word, text.text());
            (expected ? held : missed) += 1;
            ASSERT_EQ(text.holds(word), expected) << "\"" << word.value << "\" in \"" << text.text() << "\"";
        }
    }
    EXPECT_GT(held, 5000);
    EXPECT_GT(missed, 5000);
}

TEST(WordSearchTextTest, AnEmptyTextHoldsOnlyTheEmptyWord)
{
    const WordSearchText empty("");
    EXPECT_TRUE(empty.holds(ListEntry(listKindCode(ListKind::Word), "", "", 0, "", "")));
    EXPECT_FALSE(empty.holds(ListEntry(listKindCode(ListKind::Word), "x", "", 0, "", "")));
    const WordSearchText one("buy cheap pills");
    EXPECT_TRUE(one.holds(ListEntry(listKindCode(ListKind::Word), "cheap p", "", 0, "", "")));
    EXPECT_FALSE(one.holds(ListEntry(listKindCode(ListKind::Word), "cheap  p", "", 0, "", "")));
}

} // namespace
} // namespace kvn
