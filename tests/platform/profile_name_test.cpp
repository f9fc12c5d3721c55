#include "platform/core/profile_name.h"

#include <gtest/gtest.h>
#include <vector>

namespace kvn {
namespace {

TEST(ProfileName, OnlyOnePlainFolderNameIsAProfileName)
{
    for (const char* good : {"Default", "Work mail", "a.b", "...", "Ünïcode", "-dash"}) {
        EXPECT_TRUE(checkProfileName(good).ok()) << good;
        EXPECT_EQ(profileDataFolder("/install", good), std::string("/install/") + good);
    }
    for (const std::string& bad : std::vector<std::string>{"", ".", "..", "../escape", "a/b", "/abs", "a\\b",
             std::string("a\nb"), std::string("tab\t"), std::string("nul\0x", 5), std::string("del\x7F")}) {
        const Status checked = checkProfileName(bad);
        EXPECT_FALSE(checked.ok()) << bad;
        EXPECT_FALSE(checked.error().empty());
        EXPECT_EQ(profileDataFolder("/install", bad), "") << bad;
    }
    EXPECT_EQ(checkProfileName(std::string("a\x1b[2Jb")).error().find('\x1b'), std::string::npos)
        << "a control character is not echoed to the terminal";
}

} // namespace
} // namespace kvn
