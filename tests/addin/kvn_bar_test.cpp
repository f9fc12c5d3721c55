// The "KVN" bar built into the host's command-bar store over a real
// registry folder: its controls, their looks and faces, and the reuse of the
// permanent bar by a later start.
#include "addin/kvn_bar.h"
#include "platform/outlook/command_bar_store.h"
#include "platform/registry/registry.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace kvn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

std::uint32_t le32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::string describe(outlook::CommandBarControl& control)
{
    std::string text = control.caption() + "|" + control.tooltipText() + "|" + control.tag();
    if (const auto button = control.asButton())
        text += "|" + std::to_string(button->style()) + (button->face().empty() ? "" : "|face");
    return text + (control.enabled() && control.visible() && control.temporary() ? "" : "|off");
}

std::vector<std::string> describeAll(outlook::CommandBarControls& controls)
{
    std::vector<std::string> found;
    for (std::size_t i = 1; i <= controls.count(); ++i)
        found.push_back(describe(*controls.item(i)));
    return found;
}

struct KvnBarTest : ::testing::Test {
    TempFolder temp;
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
};

TEST_F(KvnBarTest, TheBarHoldsItsFourteenControlsWithTheirLooksAndFaces)
{
    const outlook::CommandBarsPtr bars = outlook::openCommandBarStore(*registry, "Default");
    KvnBar bar;
    ASSERT_EQ(buildKvnBar(*bars, 0, bar), "");
    EXPECT_FALSE(bar.bar->temporary());
    EXPECT_TRUE(bar.bar->visible());
    EXPECT_THAT(describeAll(*bar.bar->controls()),
        ElementsAre("|Go to KVN folder|KVN folder|1|face", "KVN|Main KVN options|KVN options",
            "Friend|This is a friendly e-mail - trust address|Friendly e-mail|3|face",
            " |Advanced 'Friend' options|Advanced 'Friend' options",
            "Foe|This is spam - block address|Spam e-mail|3|face", " |Advanced 'Foe' options|Advanced 'Foe' options",
            "Re-check E-Mails|Re-check older unread e-mails|Re-check older unread e-mails|3|face"));
    const char* lists = "Show the approved and blocked e-mail addresses and domains";
    const char* statistics = "Show statistics about KVN's activity";
    EXPECT_THAT(describeAll(*bar.mainPopup->controls()),
        ElementsAre(std::string("Show lists|") + lists + "|" + lists + "|3|face",
            std::string("Show statistics|") + statistics + "|" + statistics + "|3|face",
            "Options|Configure KVN options|Configure KVN options|3|face",
            "Help|Read the KVN help|Read the KVN help|3|face", "About|About KVN|About KVN|2"));
    EXPECT_THAT(describeAll(*bar.friendPopup->controls()),
        ElementsAre("Trust whole domain|Accept e-mails from any address @ this domain|Accept e-mails from any address "
                    "@ this domain|2"));
    EXPECT_THAT(describeAll(*bar.foePopup->controls()),
        ElementsAre("Block whole domain|Block e-mails from any address @ this domain|Block e-mails from any address "
                    "@ this domain|2"));

    // Each face is a 32x32 picture of 24 bits per pixel, whole.
    for (const auto& button : {bar.folder, bar.friendButton, bar.foe, bar.recheck, bar.showLists, bar.showStatistics,
             bar.options, bar.help}) {
        const std::string face = button->face();
        ASSERT_EQ(face.size(), 54u + 32 * 32 * 3);
        EXPECT_EQ(face.substr(0, 2), "BM");
        EXPECT_EQ(le32(face, 18), 32u);
        EXPECT_EQ(le32(face, 22), 32u);
        EXPECT_EQ(static_cast<unsigned char>(face[28]), 24);
    }
    EXPECT_NE(bar.folder->face(), bar.friendButton->face());
}

TEST_F(KvnBarTest, ALaterStartReusesTheBarAndTheTooltipTellsTheCheckedTime)
{
    {
        const outlook::CommandBarsPtr bars = outlook::openCommandBarStore(*registry, "Default");
        KvnBar first;
        ASSERT_EQ(buildKvnBar(*bars, 0, first), "");
    }
    const outlook::CommandBarsPtr bars = outlook::openCommandBarStore(*registry, "Default");
    const std::size_t before = bars->count();
    ASSERT_TRUE(bars->find(kvnBarName));
    EXPECT_EQ(bars->find(kvnBarName)->controls()->count(), 0u); // temporary controls are gone
    KvnBar again;
    ASSERT_EQ(buildKvnBar(*bars, 45366.75, again), ""); // 2024-03-15 18:00
    EXPECT_EQ(bars->count(), before);
    EXPECT_EQ(again.bar->controls()->count(), 7u);
    EXPECT_THAT(again.recheck->tooltipText(), StartsWith("KVN currently checks e-mails received after 15 Mar 2024  "));
    EXPECT_EQ(again.recheck->tag(), "Re-check older unread e-mails");
    EXPECT_EQ(recheckTooltip(0), "Re-check older unread e-mails");
    EXPECT_EQ(recheckTooltip(-1), "Re-check older unread e-mails");
}

} // namespace
} // namespace kvn::testing
