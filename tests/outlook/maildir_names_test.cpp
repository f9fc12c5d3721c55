// Folder names on disk as Dovecot writes them, and message file names.
#include "platform/outlook/maildir_flags.h"
#include "platform/outlook/maildir_names.h"

#include <gtest/gtest.h>

namespace kvn::outlook {
namespace {

TEST(MaildirNames, NonAsciiNamesAreModifiedUtf7)
{
    EXPECT_EQ(encodeFolderName("Entwürfe"), "Entw&APw-rfe");
    EXPECT_EQ(encodeFolderName("日本語"), "&ZeVnLIqe-");
    EXPECT_EQ(encodeFolderName("Tom & Jerry"), "Tom &- Jerry");
    EXPECT_EQ(encodeFolderName("😀"), "&2D3eAA-"); // outside the BMP: a surrogate pair
    for (const char* name : {"Entwürfe", "日本語", "Tom & Jerry", "😀", "KVN Quarantined", "Ünïcödé ✓"})
        EXPECT_EQ(decodeFolderName(encodeFolderName(name)), name) << name;
}

TEST(MaildirNames, CharactersMaildirCannotHoldAreEscaped)
{
    EXPECT_EQ(encodeFolderName("v1.2"), "v1\\2e2");
    EXPECT_EQ(encodeFolderName("a/b"), "a\\2fb");
    EXPECT_EQ(encodeFolderName("back\\slash"), "back\\5cslash");
    EXPECT_EQ(encodeFolderName("~home"), "\\7ehome");
    EXPECT_EQ(encodeFolderName("a~b"), "a~b");
    for (const char* name : {"v1.2", "a/b", "back\\slash", "~home", "...", "\\2e"})
        EXPECT_EQ(decodeFolderName(encodeFolderName(name)), name) << name;
}

TEST(MaildirNames, BrokenEncodingsAreShownAsTheyAre)
{
    EXPECT_EQ(decodeFolderName("a&b"), "a&b"); // no closing "-"
    EXPECT_EQ(decodeFolderName("&!!-"), "&!!-");
    EXPECT_EQ(decodeFolderName("x\\zz"), "x\\zz");
}

TEST(MaildirNames, DirectoriesAndFolderPaths)
{
    EXPECT_EQ(folderDirectoryName({}), "");
    EXPECT_EQ(folderDirectoryName({"Archive", "2024.1"}), ".Archive.2024\\2e1");
    EXPECT_EQ(folderPathOfDirectory(".Archive.2024\\2e1"), (std::vector<std::string>{"Archive", "2024.1"}));
    EXPECT_EQ(folderPathOfDirectory(".Entw&APw-rfe"), (std::vector<std::string>{"Entwürfe"}));
    EXPECT_TRUE(folderPathOfDirectory("cur").empty());
    EXPECT_TRUE(folderPathOfDirectory(".").empty());
    EXPECT_TRUE(folderPathOfDirectory("..").empty());
    EXPECT_TRUE(folderPathOfDirectory(".A..B").empty());
    EXPECT_TRUE(folderPathOfDirectory(".A.").empty());
}

TEST(MaildirFileNames, UniqueNameAndFlags)
{
    EXPECT_EQ(uniqueNameOf("1700000000.M1P2.host,S=120:2,RS"), "1700000000.M1P2.host,S=120");
    EXPECT_EQ(uniqueNameOf("1700000000.M1P2.host"), "1700000000.M1P2.host");
    EXPECT_EQ(flagsOf("u:2,FRS"), "FRS");
    EXPECT_EQ(flagsOf("u:1,xyz"), "");
    EXPECT_TRUE(isSeen("u:2,S"));
    EXPECT_FALSE(isSeen("u:2,FR"));
    EXPECT_FALSE(isSeen("uS")); // an S in the unique name is no flag
}

TEST(MaildirFileNames, SeenFlagIsRewrittenInAsciiOrderKeepingOthers)
{
    EXPECT_EQ(nameWithSeen("u:2,TF", true), "u:2,FST");
    EXPECT_EQ(nameWithSeen("u:2,FST", false), "u:2,FT");
    EXPECT_EQ(nameWithSeen("u", true), "u:2,S");
    EXPECT_EQ(nameWithSeen("u:2,S", true), "u:2,S");
    EXPECT_EQ(nameWithSeen("u:2,ab", true), "u:2,Sab"); // keywords a-z stay, after the capitals
    EXPECT_EQ(curNameOf("u"), "u:2,");
    EXPECT_EQ(curNameOf("u:2,RS"), "u:2,RS");
}

} // namespace
} // namespace kvn::outlook
