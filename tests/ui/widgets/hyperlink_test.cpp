#include "ui/widgets/hyperlink.h"

#include "tests/support/scripted_ui.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace kvn::ui {
namespace {

constexpr const char* kMarks[] = {
    "_Hyperlink_Original_Proc_", "_Hyperlink_Original_Font_", "_Hyperlink_Underline_Font_", "_Hyperlink_From_Static_"};

class HyperlinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        label = new QLabel("www.example.org", &dialog);
        label->setGeometry(10, 10, 200, 20);
        dialog.show();
    }

    void enter()
    {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(label, &event);
    }

    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(label, &event);
    }

    QWidget dialog;
    QLabel* label = nullptr;
    QStringList opened;
};

TEST_F(HyperlinkTest, IsMarkedBlueAndUnderlinedOnlyUnderTheMouse)
{
    Hyperlink* link = MakeHyperlink(label);
    for (const char* mark : kMarks)
        EXPECT_TRUE(label->property(mark).isValid()) << mark;
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    EXPECT_FALSE(label->font().underline());
    EXPECT_EQ(label->cursor().shape(), Qt::ArrowCursor);
    enter();
    EXPECT_TRUE(link->isHot());
    EXPECT_TRUE(label->font().underline());
    leave();
    EXPECT_FALSE(label->font().underline());
    EXPECT_EQ(MakeHyperlink(label), link) << "a label becomes a hyperlink once";
}

TEST_F(HyperlinkTest, AClickOpensItsAddressThroughTheOpener)
{
    MakeHyperlink(label, "https://www.example.org/", [this](const QString& address) { opened.append(address); });
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(opened, QStringList{"https://www.example.org/"});
    // Pressed on it and released outside: no click.
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(500, 5));
    QTest::mouseClick(label, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(HyperlinkTest, OpensThroughTheUiService)
{
    kvn::testing::ScriptedUi ui;
    MakeHyperlink(label, QString::fromUtf8("https://example.org/caf\u00e9"), shellAddressOpener(ui));
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(ui.opened().size(), 1u);
    EXPECT_EQ(ui.opened()[0], "https://example.org/caf\xc3\xa9");
}

TEST_F(HyperlinkTest, RemovingItRestoresThePlainLabel)
{
    QColor plain = label->palette().color(QPalette::WindowText);
    QPointer<Hyperlink> link = MakeHyperlink(label);
    QSignalSpy clicks(link.data(), &Hyperlink::clicked);
    enter();
    delete link.data();
    EXPECT_FALSE(label->font().underline());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), plain);
    for (const char* mark : kMarks)
        EXPECT_FALSE(label->property(mark).isValid()) << mark;
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(HyperlinkTest, GoesWithItsLabel)
{
    QPointer<Hyperlink> link = MakeHyperlink(label);
    delete label;
    EXPECT_TRUE(link.isNull());
}

} // namespace
} // namespace kvn::ui
