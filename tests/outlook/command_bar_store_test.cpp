// The command-bar store of a profile over a real registry folder.
#include "platform/com/connection_point.h"
#include "platform/outlook/command_bar_records.h"
#include "platform/outlook/command_bar_store.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace kvn::outlook {
namespace {

using registry::Hive;

class CommandBarStore : public ::testing::Test {
protected:
    CommandBarsPtr reopen() { return openCommandBarStore(*registry, "Test"); }

    testing::TempFolder temp;
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp.path());
};

TEST_F(CommandBarStore, PermanentBarAndControlsComeBackTemporaryOnesDoNot)
{
    {
        const CommandBarsPtr bars = reopen();
        const CommandBarPtr bar = bars->add("KVN", msoBarTop, false);
        ASSERT_TRUE(bar);
        EXPECT_FALSE(bars->add("KVN", msoBarTop, false)) << "a name is taken once";
        const auto kept = bar->controls()->add(msoControlButton, false)->asButton();
        ASSERT_TRUE(kept);
        EXPECT_TRUE(kept->setCaption("Friend"));
        EXPECT_TRUE(kept->setTooltipText("Trust"));
        EXPECT_TRUE(kept->setTag("friend"));
        EXPECT_TRUE(kept->setStyle(msoButtonIconAndCaption));
        EXPECT_TRUE(kept->setFace(std::string("BM\0\x01\x02", 5)));
        const auto popup = bar->controls()->add(msoControlPopup, false)->asPopup();
        ASSERT_TRUE(popup);
        EXPECT_TRUE(popup->controls()->add(msoControlButton, false)->setCaption("Inside"));
        EXPECT_TRUE(bar->controls()->add(msoControlButton, true)->setCaption("Gone at exit"));
        EXPECT_TRUE(bars->add("Scratch", msoBarTop, true));
        EXPECT_TRUE(bar->setVisible(true));
    }
    const CommandBarsPtr bars = reopen();
    ASSERT_EQ(bars->count(), 1u);
    const CommandBarPtr bar = bars->find("KVN");
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->visible());
    EXPECT_FALSE(bars->find("kvn")) << "names compare with letter case";
    const auto controls = bar->controls();
    ASSERT_EQ(controls->count(), 2u);
    const auto button = controls->item(1)->asButton();
    ASSERT_TRUE(button);
    EXPECT_EQ(button->caption(), "Friend");
    EXPECT_EQ(button->tooltipText(), "Trust");
    EXPECT_EQ(button->tag(), "friend");
    EXPECT_EQ(button->style(), msoButtonIconAndCaption);
    EXPECT_EQ(button->face(), std::string("BM\0\x01\x02", 5));
    const auto popup = controls->item(2)->asPopup();
    ASSERT_TRUE(popup);
    EXPECT_FALSE(controls->item(2)->asButton());
    ASSERT_EQ(popup->controls()->count(), 1u);
    EXPECT_EQ(popup->controls()->item(1)->caption(), "Inside");
    EXPECT_FALSE(controls->item(3));
}

TEST_F(CommandBarStore, ControlsOfATemporaryBarAreTemporaryAndDeletingABarRemovesItsKey)
{
    const CommandBarsPtr bars = reopen();
    const CommandBarPtr scratch = bars->add("Scratch", msoBarTop, true);
    EXPECT_TRUE(scratch->controls()->add(msoControlButton, false)->temporary());
    EXPECT_FALSE(scratch->controls()->add(42, false)) << "only buttons and popups";

    const CommandBarPtr bar = bars->add("KVN", msoBarTop, false);
    ASSERT_EQ(registry->valueNames(Hive::CurrentUser, commandBarsKey("Test")).size(), 1u);
    EXPECT_TRUE(bar->remove());
    EXPECT_FALSE(bar->remove());
    EXPECT_FALSE(bar->controls());
    EXPECT_FALSE(bars->find("KVN"));
    EXPECT_TRUE(registry->valueNames(Hive::CurrentUser, commandBarsKey("Test")).empty());
    EXPECT_EQ(reopen()->count(), 0u);
}

TEST_F(CommandBarStore, AStoredBarThatDoesNotDecodeIsNoBar)
{
    CommandBarControlRecord inner;
    inner.type = msoControlButton;
    inner.caption = "Inner";
    CommandBarControlRecord popup;
    popup.type = msoControlPopup;
    popup.controls = {inner};
    const CommandBarRecord bar{"KVN", msoBarTop, true, {popup}};
    ASSERT_TRUE(saveCommandBar(*registry, "Test", bar));
    const auto stored = registry->queryValue(Hive::CurrentUser, commandBarsKey("Test"), "KVN", 1 << 20);
    ASSERT_TRUE(stored);
    ASSERT_EQ(loadCommandBars(*registry, "Test"), std::vector{bar});

    // Cuts inside each part of the value, and a byte too many, are refused without harm.
    const std::size_t whole = stored->bytes.size();
    for (const std::size_t size :
        {std::size_t{0}, std::size_t{3}, std::size_t{12}, std::size_t{17}, whole / 2, whole - 1}) {
        ASSERT_TRUE(registry->setValue(Hive::CurrentUser, commandBarsKey("Test"), "Cut",
            {static_cast<std::uint32_t>(registry::ValueType::Binary), stored->bytes.substr(0, size)}));
        EXPECT_EQ(loadCommandBars(*registry, "Test").size(), 1u) << size;
    }
    ASSERT_TRUE(registry->setValue(Hive::CurrentUser, commandBarsKey("Test"), "Cut",
        {static_cast<std::uint32_t>(registry::ValueType::Binary), stored->bytes + "x"}));
    // A count far beyond what the value holds, and a string instead of a bar.
    std::string huge = stored->bytes.substr(0, 12) + std::string("\xff\xff\xff\x7f", 4);
    ASSERT_TRUE(registry->setValue(Hive::CurrentUser, commandBarsKey("Test"), "Huge",
        {static_cast<std::uint32_t>(registry::ValueType::Binary), huge}));
    ASSERT_TRUE(registry->setValue(Hive::CurrentUser, commandBarsKey("Test"), "Text", registry::stringValue("bar")));
    const auto bars = loadCommandBars(*registry, "Test");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].name, "KVN");
}

TEST_F(CommandBarStore, ClickReachesEverySinkUntilUnadvisedAndNotWhenDisabled)
{
    const CommandBarsPtr bars = reopen();
    const auto button = bars->add("KVN", msoBarTop, false)->controls()->add(msoControlButton, true)->asButton();
    int clicks = 0;
    com::IUnknown* clicked = nullptr;
    const auto sink = com::makeEventSink(commandBarButtonEventsIid, [&](com::DISPID member, auto arguments) {
        EXPECT_EQ(member, dispidClick);
        clicked = com::unknownArgument(arguments, 0);
        ++clicks;
        return com::S_OK;
    });
    com::EventSubscription subscription;
    ASSERT_EQ(subscription.subscribe(button->eventSource(), commandBarButtonEventsIid, sink.get()), com::S_OK);
    EXPECT_EQ(button->execute(), 1);
    EXPECT_EQ(clicked, button->eventSource());
    EXPECT_TRUE(button->setEnabled(false));
    EXPECT_EQ(button->execute(), 0);
    EXPECT_TRUE(button->setEnabled(true));
    subscription.cancel();
    EXPECT_EQ(button->execute(), 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button->remove());
    EXPECT_EQ(button->eventSource(), nullptr);
    EXPECT_EQ(button->execute(), 0);
}

} // namespace
} // namespace kvn::outlook
