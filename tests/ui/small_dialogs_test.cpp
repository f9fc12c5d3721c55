// The three-button box and the About box offscreen, and the dialog units.
#include "ui/about_box.h"
#include "ui/dialog_units.h"
#include "ui/three_button_box.h"

#include "tests/support/qt_application.h"
#include "tests/support/scripted_ui.h"
#include "ui/about_settings.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kvn {
namespace {

class SmallDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { testing::qtApplication(); }
};

TEST(DialogUnitsTest, UnitsBecomePixelsAsTheDialogFontGivesThem)
{
    EXPECT_EQ(dialogUnitsToPixels(235, 147), QSize(353, 239));
    EXPECT_EQ(dialogUnitsToPixels(195, 164), QSize(293, 267));
    EXPECT_EQ(dialogUnitsToPixels(324, 73), QSize(486, 119));
    EXPECT_EQ(dialogUnitsToPixels(204, 102), QSize(306, 166));
    EXPECT_EQ(dialogUnitsToPixels(97, 233), QSize(146, 379));
    EXPECT_EQ(dialogUnitsToPixels(0, 0), QSize(0, 0));
}

const ThreeButtonQuestion question{"Keep the entry?", "Lists", "Yes", "No", "Later"};

TEST_F(SmallDialogsTest, TheThreeButtonBoxShowsTheCallersTexts)
{
    ThreeButtonDialog box(question);
    EXPECT_EQ(box.windowTitle(), "Lists");
    EXPECT_EQ(box.size(), QSize(486, 119));
    EXPECT_EQ(box.findChild<QLabel*>("control_228")->text(), "Keep the entry?");
    EXPECT_EQ(box.findChild<QLabel*>("control_228")->textFormat(), Qt::PlainText);
    EXPECT_FALSE(box.findChild<QLabel*>("control_32514")->pixmap().isNull());
    EXPECT_EQ(box.findChild<QPushButton*>("control_244")->text(), "Yes");
    EXPECT_EQ(box.findChild<QPushButton*>("control_245")->text(), "No");
    EXPECT_EQ(box.findChild<QPushButton*>("control_246")->text(), "Later");
    EXPECT_TRUE(box.findChild<QPushButton*>("control_244")->isDefault());
    EXPECT_EQ(box.answer(), -1);
}

TEST_F(SmallDialogsTest, EachButtonEndsTheBoxWithItsNumber)
{
    const std::pair<const char*, int> buttons[] = {{"control_244", 1}, {"control_245", 2}, {"control_246", 3}};
    for (const auto& [name, number] : buttons) {
        ThreeButtonDialog box(question);
        QTest::mouseClick(box.findChild<QPushButton*>(name), Qt::LeftButton);
        EXPECT_EQ(box.answer(), number) << name;
        EXPECT_EQ(box.result(), number) << name;
    }
}

TEST_F(SmallDialogsTest, TheModalBoxGivesItsButtonOrMinusOneWhenClosedOtherwise)
{
    auto whenUp = [](std::function<void(QWidget*)> act) {
        QTimer::singleShot(0, [act] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            act(box);
        });
    };
    whenUp([](QWidget* box) { QTest::mouseClick(box->findChild<QPushButton*>("control_246"), Qt::LeftButton); });
    EXPECT_EQ(ThreeButtonBox("Text", "Title", "A", "B", "C"), 3);
    whenUp([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(ThreeButtonBox("Text", "Title", "A", "B", "C"), -1);
    whenUp([](QWidget* box) { box->close(); });
    EXPECT_EQ(ThreeButtonBox("Text", "Title", "A", "B", "C"), -1);
    whenUp([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(ThreeButtonBox("Text", "Title", "A", "B", "C"), 1);
}

TEST_F(SmallDialogsTest, TheAboutBoxNamesTheProductAndOpensItsPagesWithTheShell)
{
    testing::ScriptedUi ui;
    AboutBoxDialog box(ui);
    EXPECT_EQ(box.windowTitle(), "About Korvane");
    EXPECT_EQ(box.size(), QSize(306, 166));
    EXPECT_FALSE(box.findChild<QLabel*>("icon_225")->pixmap().isNull());
    EXPECT_EQ(box.findChild<QLabel*>("label_version")->text(), "Korvane v.1.03 ( build 04.09.13 )");
    EXPECT_EQ(box.findChild<QLabel*>("label_maker")->text(), about::makerLine);
    auto* support = box.findChild<QLineEdit*>("control_350");
    EXPECT_EQ(support->text(), about::supportAddress);
    EXPECT_TRUE(support->isReadOnly());
    EXPECT_EQ(support->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

    auto* maker = box.findChild<QLabel*>("control_247");
    auto* product = box.findChild<QLabel*>("control_248");
    EXPECT_TRUE(maker->text().contains(QString::fromUtf8(about::makerAddress)));
    EXPECT_FALSE(maker->openExternalLinks());
    emit maker->linkActivated(QString::fromUtf8(about::makerAddress));
    emit product->linkActivated(QString::fromUtf8(about::productAddress));
    EXPECT_EQ(ui.opened(), (std::vector<std::string>{about::makerAddress, about::productAddress}));
}

} // namespace
} // namespace kvn
