// The command-bar store drawn on a real main window: the add-in's "KVN" bar
// as the add-in builds it into a real store over a real registry folder, its
// buttons, menus, faces and styles, a later start, and clicks reaching the
// handlers subscribed to the buttons.
#include "host/window/command_bar_toolbars.h"

#include "addin/kvn_bar.h"
#include "platform/com/connection_point.h"
#include "platform/outlook/command_bar_store.h"
#include "platform/registry/registry.h"
#include "tests/support/temp_folder.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kvn::testing {
namespace {

using ::testing::ElementsAre;

struct CommandBarToolbarsTest : ::testing::Test {
    TempFolder temp;
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    outlook::CommandBarsPtr bars = outlook::openCommandBarStore(*registry, "Default");
    QMainWindow window;

    KvnBar buildBar(outlook::CommandBars& into)
    {
        KvnBar built;
        EXPECT_EQ(buildKvnBar(into, 0, built), "");
        return built;
    }

    QList<QToolBar*> toolbars() const { return window.findChildren<QToolBar*>(); }
};

Qt::ToolButtonStyle styleOf(QToolBar& toolbar, QAction* action)
{
    auto* button = qobject_cast<QToolButton*>(toolbar.widgetForAction(action));
    EXPECT_NE(button, nullptr);
    return button ? button->toolButtonStyle() : Qt::ToolButtonFollowStyle;
}

// "caption|tooltip|icon" for each action, the items of a menu after the
// entry that opens it, indented.
void describe(QAction* action, std::vector<std::string>& into, const std::string& indent = {})
{
    into.push_back(indent + action->text().toStdString() + "|" + action->toolTip().toStdString()
        + (action->icon().isNull() ? "" : "|icon") + (action->isEnabled() && action->isVisible() ? "" : "|off"));
    if (QMenu* menu = action->menu())
        for (QAction* item : menu->actions())
            describe(item, into, indent + "  ");
}

std::vector<std::string> describe(QToolBar& toolbar)
{
    std::vector<std::string> found;
    for (QAction* action : toolbar.actions())
        describe(action, found);
    return found;
}

TEST_F(CommandBarToolbarsTest, TheKvnBarIsDrawnWithItsFourteenControlsInOrder)
{
    (void)buildBar(*bars);
    host::CommandBarToolbars drawn(window, bars);
    ASSERT_EQ(toolbars().size(), 1);
    QToolBar* toolbar = drawn.toolbar("KVN");
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->objectName(), "KVN");
    EXPECT_EQ(window.toolBarArea(toolbar), Qt::TopToolBarArea);
    EXPECT_FALSE(toolbar->isHidden());
    EXPECT_THAT(describe(*toolbar),
        ElementsAre("|Go to KVN folder|icon", "KVN|Main KVN options",
            "  Show lists|Show the approved and blocked e-mail addresses and domains|icon",
            "  Show statistics|Show statistics about KVN's activity|icon", "  Options|Configure KVN options|icon",
            "  Help|Read the KVN help|icon", "  About|About KVN",
            "Friend|This is a friendly e-mail - trust address|icon", " |Advanced 'Friend' options",
            "  Trust whole domain|Accept e-mails from any address @ this domain",
            "Foe|This is spam - block address|icon", " |Advanced 'Foe' options",
            "  Block whole domain|Block e-mails from any address @ this domain",
            "Re-check E-Mails|Re-check older unread e-mails|icon"));

    const QList<QAction*> entries = toolbar->actions();
    ASSERT_EQ(entries.size(), 7);
    EXPECT_EQ(styleOf(*toolbar, entries[0]), Qt::ToolButtonIconOnly);
    EXPECT_EQ(styleOf(*toolbar, entries[2]), Qt::ToolButtonTextBesideIcon);
    EXPECT_EQ(styleOf(*toolbar, entries[4]), Qt::ToolButtonTextBesideIcon);
    EXPECT_EQ(styleOf(*toolbar, entries[6]), Qt::ToolButtonTextBesideIcon);
    for (const int popup : {1, 3, 5}) {
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(entries[popup]));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->popupMode(), QToolButton::InstantPopup);
        EXPECT_NE(entries[popup]->menu(), nullptr);
    }
    // The face is the bitmap itself: 32 x 32.
    EXPECT_EQ(entries[0]->icon().availableSizes().value(0), QSize(32, 32));
}

TEST_F(CommandBarToolbarsTest, ALaterStartAndARedrawKeepOneToolbarForTheBar)
{
    (void)buildBar(*bars);
    bars.reset();
    // The next start: a new store over the same registry finds the permanent
    // bar without the temporary controls of the last one.
    const outlook::CommandBarsPtr again = outlook::openCommandBarStore(*registry, "Default");
    (void)buildBar(*again);
    host::CommandBarToolbars drawn(window, again);
    drawn.rebuild();
    drawn.rebuild();
    ASSERT_EQ(toolbars().size(), 1);
    EXPECT_EQ(drawn.toolbar("KVN")->actions().size(), 7);
    EXPECT_EQ(again->count(), 1u);
}

TEST_F(CommandBarToolbarsTest, AClickReachesTheSubscribedHandlerOnceWithTheButtonAndTheCancelFlag)
{
    const KvnBar built = buildBar(*bars);
    int clicks = 0;
    com::IUnknown* clickedButton = nullptr;
    bool cancelGiven = false;
    const com::ComPtr<com::IDispatch> sink = com::makeEventSink(
        outlook::commandBarButtonEventsIid, [&](com::DISPID member, std::span<const com::Variant> arguments) {
            EXPECT_EQ(member, outlook::dispidClick);
            ++clicks;
            if (arguments.size() == 2) {
                clickedButton = std::get<com::IUnknown*>(arguments[0]);
                cancelGiven = std::get<bool*>(arguments[1]) != nullptr;
            }
            return com::S_OK;
        });
    com::EventSubscription subscription;
    ASSERT_EQ(subscription.subscribe(built.friendButton->eventSource(), outlook::commandBarButtonEventsIid, sink.get()),
        com::S_OK);

    host::CommandBarToolbars drawn(window, bars);
    QToolBar* toolbar = drawn.toolbar("KVN");
    ASSERT_NE(toolbar, nullptr);
    auto* friendButton = qobject_cast<QToolButton*>(toolbar->widgetForAction(toolbar->actions()[2]));
    ASSERT_NE(friendButton, nullptr);
    friendButton->click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(clickedButton, built.friendButton->eventSource());
    EXPECT_TRUE(cancelGiven);

    // Another button, and an item of a menu, reach nobody subscribed here.
    toolbar->actions()[4]->trigger();
    toolbar->actions()[1]->menu()->actions()[0]->trigger();
    EXPECT_EQ(clicks, 1);
    // After the redraw a click posts, the new entry still reaches the handler.
    QApplication::processEvents();
    toolbar->actions()[2]->trigger();
    EXPECT_EQ(clicks, 2);
}

TEST_F(CommandBarToolbarsTest, ChangedControlsAndDeletedBarsAreRedrawn)
{
    const KvnBar built = buildBar(*bars);
    const outlook::CommandBarPtr other = bars->add("Other", outlook::msoBarBottom, true);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(other->setVisible(true));
    const auto odd = other->controls()->add(outlook::msoControlButton, true)->asButton();
    ASSERT_TRUE(odd->setCaption("Odd"));
    ASSERT_TRUE(odd->setStyle(outlook::msoButtonIcon));
    ASSERT_TRUE(odd->setFace(std::string("BM\x10\0\0\0 truncated", 16)));

    host::CommandBarToolbars drawn(window, bars);
    ASSERT_EQ(toolbars().size(), 2);
    QToolBar* otherBar = drawn.toolbar("Other");
    ASSERT_NE(otherBar, nullptr);
    EXPECT_EQ(window.toolBarArea(otherBar), Qt::BottomToolBarArea);
    // A face that is no bitmap gives no icon, and the caption shows instead.
    EXPECT_TRUE(otherBar->actions()[0]->icon().isNull());
    EXPECT_EQ(styleOf(*otherBar, otherBar->actions()[0]), Qt::ToolButtonTextOnly);

    ASSERT_TRUE(built.foe->setEnabled(false));
    ASSERT_TRUE(built.help->setVisible(false));
    ASSERT_TRUE(built.recheck->setTooltipText("KVN currently checks e-mails received after 01 Jan 2026  10:00:00"));
    ASSERT_TRUE(other->remove());
    drawn.rebuild();
    EXPECT_EQ(drawn.toolbar("Other"), nullptr);
    QToolBar* kvn = drawn.toolbar("KVN");
    ASSERT_NE(kvn, nullptr);
    const QList<QAction*> entries = kvn->actions();
    EXPECT_FALSE(entries[4]->isEnabled());
    EXPECT_FALSE(entries[1]->menu()->actions()[3]->isVisible());
    EXPECT_EQ(entries[6]->toolTip(), "KVN currently checks e-mails received after 01 Jan 2026  10:00:00");

    // A disabled button raises nothing.
    int clicks = 0;
    const auto sink = com::makeEventSink(outlook::commandBarButtonEventsIid, [&](com::DISPID, auto) {
        ++clicks;
        return com::S_OK;
    });
    com::EventSubscription subscription;
    ASSERT_EQ(
        subscription.subscribe(built.foe->eventSource(), outlook::commandBarButtonEventsIid, sink.get()), com::S_OK);
    entries[4]->trigger();
    EXPECT_EQ(clicks, 0);

    // The bar hidden by its add-in hides its toolbar.
    ASSERT_TRUE(built.bar->setVisible(false));
    drawn.rebuild();
    EXPECT_TRUE(kvn->isHidden());
}

TEST(FaceIcon, OnlyABitmapGivesAnIcon)
{
    EXPECT_TRUE(host::faceIcon("").isNull());
    EXPECT_TRUE(host::faceIcon("not a bitmap at all").isNull());
    EXPECT_TRUE(host::faceIcon(std::string(1 << 20, 'B')).isNull());
}

} // namespace
} // namespace kvn::testing
