#include "platform/core/utf8_text.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace kvn {
namespace {

TEST(Utf8Text, LowersAsciiAndOtherScripts)
{
    EXPECT_EQ(toLowerUtf8("John.Doe@Example.COM"), "john.doe@example.com");
    EXPECT_EQ(toLowerUtf8("ÄÖÜ Straße"), "äöü straße");
    EXPECT_EQ(toLowerUtf8("ΑΘΗΝΑ"), "αθηνα");
    EXPECT_EQ(toLowerUtf8("ПРИВЕТ"), "привет");
}

TEST(Utf8Text, KeepsBytesThatAreNotUtf8)
{
    const std::string latin1 = "M\xDCLLER\xFF";
    EXPECT_EQ(toLowerUtf8(latin1), "m\xDCller\xFF");
    const std::string cutShort = "A\xC3";
    EXPECT_EQ(toLowerUtf8(cutShort), "a\xC3");
    const std::string withNul("A\0B", 3);
    EXPECT_EQ(toLowerUtf8(withNul), std::string("a\0b", 3));
}

// ASCII runs are lowered eight bytes at a time: a letter or a character
// outside ASCII on either side of every such step, and the bytes next to
// 'A' and 'Z', come out as they do one by one.
TEST(Utf8Text, LowersTheSameWhereverAsciiRunsStartAndEnd)
{
    const std::string upper = "@AZ[`az{HELLO.WORLD-0123456789";
    const std::string lower = "@az[`az{hello.world-0123456789";
    for (std::size_t cut = 0; cut <= upper.size(); ++cut) {
        for (const auto& [other, otherLowered] : {std::pair<std::string, std::string>{"\xC3\x89", "\xC3\xA9"},
                 {"\xFF", "\xFF"}, {"\xE2\x82\xAC", "\xE2\x82\xAC"}}) {
            const std::string text = upper.substr(0, cut) + other + upper.substr(cut) + other;
            EXPECT_EQ(toLowerUtf8(text), lower.substr(0, cut) + otherLowered + lower.substr(cut) + otherLowered);
            EXPECT_EQ(
                caseFoldKey(text), caseFoldKey(lower.substr(0, cut) + otherLowered + lower.substr(cut) + otherLowered))
                << cut;
        }
        EXPECT_EQ(toLowerUtf8(upper.substr(0, cut)), lower.substr(0, cut));
    }
}

TEST(Utf8Text, ComparesWholeTextsIgnoringCase)
{
    EXPECT_TRUE(equalsIgnoringCase("Jörg@Example.de", "JÖRG@example.DE"));
    EXPECT_FALSE(equalsIgnoringCase("a@b.c", "a@b.cd"));
    EXPECT_FALSE(equalsIgnoringCase("a@b.c", "a@b.c "));
    EXPECT_TRUE(equalsIgnoringCase("", ""));
}

TEST(Utf8Text, OrdersByLowerCaseCodePoints)
{
    EXPECT_LT(compareIgnoringCase("Alice", "bob"), 0);
    EXPECT_GT(compareIgnoringCase("bob", "ALICE"), 0);
    EXPECT_LT(compareIgnoringCase("ann", "anna"), 0);
    EXPECT_GT(compareIgnoringCase("anna", "ann"), 0);
    // '_' sorts before letters once they are lower-cased.
    EXPECT_LT(compareIgnoringCase("_x", "A"), 0);
    EXPECT_LT(compareIgnoringCase("zed", "Émile"), 0);
    EXPECT_EQ(compareIgnoringCase("ÉMILE", "émile"), 0);
}

TEST(Utf8Text, InvalidBytesOrderConsistently)
{
    const std::string raw = "\xFF";
    EXPECT_NE(compareIgnoringCase(raw, "a"), 0);
    EXPECT_EQ(compareIgnoringCase(raw, "a"), -compareIgnoringCase("a", raw));
    EXPECT_EQ(compareIgnoringCase(raw, raw), 0);
}

// Two texts share a fold key exactly when they compare equal ignoring case,
// over texts mixing letters that fold together, letters whose lower case is
// ASCII, and bytes that are not UTF-8 (some of which look like the start of
// a character that follows them).
TEST(Utf8Text, FoldKeysAreEqualExactlyWhenTextsAreEqualIgnoringCase)
{
    const char* const pieces[] = {"a", "A", "k", "K", "\u212A", "i", "I", "\u0130", "\u00E9", "\u00C9", "\u03A3",
        "\u03C3", "\u03C2", "\xC3", "\xA9", "\xE0\x80", "\xC0\x80", "\xED\xA0\x80", "\xFF", "\xFE", "\xF4\x90\x80\x80"};
    std::mt19937 random(5);
    const auto randomText = [&] {
        std::string text;
        for (auto n = random() % 4; n > 0; --n)
            text += pieces[random() % std::size(pieces)];
        return text;
    };
    int equalPairs = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::string a = randomText();
        const std::string b = randomText();
        const bool equal = equalsIgnoringCase(a, b);
        equalPairs += equal ? 1 : 0;
        ASSERT_EQ(caseFoldKey(a) == caseFoldKey(b), equal) << "\"" << a << "\" and \"" << b << "\"";
        ASSERT_EQ(caseFoldHash(a), std::hash<std::string_view>{}(caseFoldKey(a))) << "\"" << a << "\"";
    }
    // Texts of ASCII alone and of every length around the short way's end.
    for (const std::size_t length : {0, 1, 7, 8, 9, 255, 256, 257, 600}) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += "aZ@.-_09~"[i % 9];
        EXPECT_EQ(caseFoldHash(text), std::hash<std::string_view>{}(caseFoldKey(text))) << length;
    }
    EXPECT_GT(equalPairs, 1000); // the texts meet often enough to test the equal side
    EXPECT_EQ(caseFoldKey("\u212A\u00C9"), caseFoldKey("k\u00E9"));
}

} // namespace
} // namespace kvn
