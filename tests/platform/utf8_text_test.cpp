#include "platform/core/utf8_text.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace kvn
