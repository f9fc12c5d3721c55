#include "ui/widgets/coloured_tab_widget.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace kvn::ui {
namespace {

const QColor kBlue(0, 0, 255);
const QColor kHot(127, 127, 255);

class ColouredTabWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tabs.resize(400, 300);
        tabs.addTab(trusted, "Trusted Items     ");
        tabs.addTab(blocked, "Blocked Items     ");
        tabs.addTab(third, "Third");
        tabs.setCaptionColour(kBlue);
        tabs.setHotColour(kHot);
        tabs.show();
    }

    ColouredTabBar* bar() const { return tabs.colouredTabBar(); }

    void moveMouseTo(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, bar()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar(), &move);
    }

    QColor buttonText() const { return bar()->palette().color(QPalette::Active, QPalette::ButtonText); }

    ColouredTabWidget tabs;
    QWidget* trusted = new QWidget;
    QWidget* blocked = new QWidget;
    QWidget* third = new QWidget;
};

TEST_F(ColouredTabWidgetTest, OnlyTheSelectedTabsPageShowsAndItsCaptionIsInTheCaptionColour)
{
    EXPECT_TRUE(trusted->isVisible());
    EXPECT_FALSE(blocked->isVisible());
    EXPECT_EQ(bar()->tabTextColor(0), kBlue);
    EXPECT_EQ(bar()->tabTextColor(1), buttonText());
    QRect page(trusted->mapTo(&tabs, QPoint(0, 0)), trusted->size());
    EXPECT_TRUE(tabs.rect().contains(page));
    EXPECT_GT(page.top(), bar()->geometry().bottom()) << "the page sits below the tabs";

    tabs.setCurrentIndex(1);
    EXPECT_FALSE(trusted->isVisible());
    EXPECT_TRUE(blocked->isVisible());
    EXPECT_EQ(bar()->tabTextColor(1), kBlue);
    EXPECT_EQ(bar()->tabTextColor(0), buttonText());
}

TEST_F(ColouredTabWidgetTest, AnUnselectedTabUnderTheMouseIsHot)
{
    moveMouseTo(bar()->tabRect(1).center());
    EXPECT_EQ(bar()->hotTab(), 1);
    EXPECT_EQ(bar()->tabTextColor(1), kHot);
    EXPECT_EQ(bar()->tabTextColor(2), buttonText());
    // The selected tab keeps its caption colour under the mouse.
    moveMouseTo(bar()->tabRect(0).center());
    EXPECT_EQ(bar()->tabTextColor(0), kBlue);
    EXPECT_EQ(bar()->tabTextColor(1), buttonText());

    moveMouseTo(bar()->tabRect(2).center());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar(), &leave);
    EXPECT_EQ(bar()->hotTab(), -1);
    EXPECT_EQ(bar()->tabTextColor(2), buttonText());
}

TEST_F(ColouredTabWidgetTest, ADisabledTabIsGrey)
{
    tabs.enableTab(2, false);
    QColor grey = bar()->palette().color(QPalette::Disabled, QPalette::ButtonText);
    EXPECT_EQ(bar()->tabTextColor(2), grey);
    moveMouseTo(bar()->tabRect(2).center());
    EXPECT_EQ(bar()->tabTextColor(2), grey);
    tabs.enableTab(2, true);
    EXPECT_EQ(bar()->tabTextColor(2), kHot);
}

} // namespace
} // namespace kvn::ui
