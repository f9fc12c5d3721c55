// The check program's registry read and its offer, over a real registry
// folder, with the question answered from a script and the browser recorded.
#include "plugprobe/flash_check.h"

#include "platform/flash/news_player_registration.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>

namespace kvn::plugprobe {
namespace {

using registry::Hive;
using testing::ScriptedUi;

const ProbeSettings settings{"https://player.example/download", "Korvane check"};

class FlashCheckTest : public ::testing::Test {
protected:
    void setCurVer(const std::string& bytes)
    {
        ASSERT_TRUE(registry_->setValue(
            Hive::ClassesRoot, "ShockwaveFlash.ShockwaveFlash\\CurVer", "", registry::stringValue(bytes)));
    }

    testing::TempFolder folder_;
    std::unique_ptr<registry::Registry> registry_ = registry::openFileRegistry(folder_.path());
};

TEST_F(FlashCheckTest, VersionFiveIsOfferedAndYesOpensTheDownloadPage)
{
    setCurVer("ShockwaveFlash.ShockwaveFlash.5");
    EXPECT_FALSE(IsFlashInstalled(*registry_));
    ScriptedUi ui;
    ui.expect(settings.title, MessageAnswer::Yes);
    subMain(*registry_, ui, settings);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, "This application requires Flash MX Player. Would you like to install it now?");
    EXPECT_EQ(ui.shown()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(ui.opened(), std::vector<std::string>{settings.downloadAddress});
}

TEST_F(FlashCheckTest, VersionsSixAndTenEndSilently)
{
    for (const char* version : {"6", "10"}) {
        setCurVer(std::string("ShockwaveFlash.ShockwaveFlash.") + version);
        EXPECT_TRUE(IsFlashInstalled(*registry_)) << version;
        ScriptedUi ui; // any box would fail the test
        subMain(*registry_, ui, settings);
        EXPECT_TRUE(ui.opened().empty()) << version;
    }
}

TEST_F(FlashCheckTest, NoKeyIsOfferedAndNoOrCancelOpensNothing)
{
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Cancel}) {
        ScriptedUi ui;
        ui.expect(settings.title, answer);
        subMain(*registry_, ui, settings);
        EXPECT_TRUE(ui.opened().empty());
    }
}

TEST_F(FlashCheckTest, TheNumberIsWhatFollowsThirtyCharactersUpToTheTerminatingZero)
{
    const std::pair<std::string, std::optional<int>> cases[] = {
        {std::string("ShockwaveFlash.ShockwaveFlash.7\0garbage", 39), 7},
        {"ShockwaveFlash.ShockwaveFlash. 9 ", 9},
        {"ShockwaveFlash.ShockwaveFlash.255", 255},
        // Only the length of the prefix counts, not its letters.
        {"Something.Else.Of.Thirty.Chars11", 11},
        {"ShockwaveFlash.ShockwaveFlash.256", std::nullopt},
        {"ShockwaveFlash.ShockwaveFlash.", std::nullopt},
        {"ShockwaveFlash.ShockwaveFlash.x6", std::nullopt},
        {"ShockwaveFlash.ShockwaveFlash.-6", std::nullopt},
        {"ShockwaveFlash.6", std::nullopt},
        {std::string("ShockwaveFlash.ShockwaveFlash.\xff\xfe", 32), std::nullopt},
    };
    for (const auto& [text, version] : cases) {
        setCurVer(text);
        EXPECT_EQ(registeredPlayerVersion(*registry_), version) << text;
    }
}

TEST_F(FlashCheckTest, AValueOfAnotherTypeOrTooLongCountsAsMissing)
{
    ASSERT_TRUE(
        registry_->setValue(Hive::ClassesRoot, "ShockwaveFlash.ShockwaveFlash\\CurVer", "", registry::dwordValue(10)));
    EXPECT_FALSE(IsFlashInstalled(*registry_));
    setCurVer("ShockwaveFlash.ShockwaveFlash." + std::string(70000, '1'));
    EXPECT_FALSE(IsFlashInstalled(*registry_));
}

TEST_F(FlashCheckTest, AnUnreadableHiveIsAMissingPlayer)
{
    ASSERT_EQ(::mkfifo((folder_ / "HKEY_CLASSES_ROOT.reg").c_str(), 0600), 0);
    EXPECT_FALSE(IsFlashInstalled(*registry_));
    ScriptedUi ui;
    ui.expect(settings.title, MessageAnswer::No);
    subMain(*registry_, ui, settings);
}

TEST_F(FlashCheckTest, TheInstalledNewsPlayerIsFound)
{
    ASSERT_TRUE(registerNewsPlayer(*registry_));
    EXPECT_EQ(registeredPlayerVersion(*registry_), newsPlayerVersion);
    EXPECT_TRUE(IsFlashInstalled(*registry_));
    EXPECT_TRUE(unregisterNewsPlayer(*registry_));
    EXPECT_FALSE(IsFlashInstalled(*registry_));
    EXPECT_FALSE(registry_->keyExists(Hive::ClassesRoot, newsPlayerProgId));
}

// The program itself, with the player registered: it ends at once and
// silently, without a window system.
TEST_F(FlashCheckTest, TheProgramEndsSilentlyWhenThePlayerIsRegistered)
{
    ASSERT_TRUE(registerNewsPlayer(*registry_));
    const std::string output = folder_ / "output";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY KORVANE_REGISTRY='" + folder_.path() + "' '"
        + KVN_PLUGPROBE_PROGRAM + "' > '" + output + "' 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(testing::readWholeFile(output), "");
}

} // namespace
} // namespace kvn::plugprobe
