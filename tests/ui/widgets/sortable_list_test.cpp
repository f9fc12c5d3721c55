#include "ui/widgets/sortable_list.h"

#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

namespace kvn::ui {
namespace {

const QString kListsColumns = "Type,20;Value,220;Extra,220;Received since activation,30;Date added,80;Last received,80";
constexpr int kValue = 1;
constexpr int kReceived = 3;
constexpr int kDateAdded = 4;

class SortableListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.resize(800, 300);
        list.setColumns(kListsColumns);
        list.addLine(3, {"example.org", "", "10", "2026.12.09", ""});
        list.addLine(2, {"b@example.org", "Bea", "9", "2026.11.30", ""});
        list.addLine(7, {"NZ", "", "100", "2025.01.02", ""});
        list.show();
    }

    void clickHeading(int column)
    {
        QHeaderView* header = list.header();
        QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    QStringList columnTexts(int column) const
    {
        QStringList texts;
        for (int line = 0; line < list.lineCount(); ++line)
            texts.append(list.cellText(line, column));
        return texts;
    }

    SortableList list;
};

TEST_F(SortableListTest, ColumnsComeFromTheTextWithAHiddenTypeColumnLast)
{
    ASSERT_EQ(list.columnCount(), 7);
    auto* model = list.model();
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Value");
    EXPECT_EQ(model->headerData(kReceived, Qt::Horizontal).toString(), "Received since activation");
    EXPECT_EQ(model->headerData(6, Qt::Horizontal).toString(), "Type");
    EXPECT_EQ(list.columnWidth(0), 20);
    EXPECT_EQ(list.columnWidth(1), 220);
    EXPECT_EQ(list.columnWidth(5), 80);
    EXPECT_TRUE(list.isColumnHidden(6));
    EXPECT_FALSE(list.isColumnHidden(5));
}

TEST_F(SortableListTest, ALineHasAnEmptyFirstColumnItsTextsAndItsKind)
{
    EXPECT_EQ(list.cellText(1, 0), QString());
    EXPECT_EQ(list.cellText(1, kValue), "b@example.org");
    EXPECT_EQ(list.cellText(1, 2), "Bea");
    EXPECT_EQ(list.cellText(1, list.kindColumn()), "2");
    EXPECT_EQ(list.lineKind(1), 2);
    EXPECT_EQ(list.lineKind(3), -1);
    // Too many texts are dropped, too few leave the cells empty.
    list.addLine(4, {"a", "b", "c", "d", "e", "f", "g", "h"});
    list.addLine(5, {"x"});
    EXPECT_EQ(list.cellText(3, 5), "e");
    EXPECT_EQ(list.cellText(3, 6), "4") << "not the sixth text";
    EXPECT_EQ(list.cellText(3, list.kindColumn()), "4");
    EXPECT_EQ(list.cellText(4, 2), QString());
    EXPECT_EQ(list.lineKind(4), 5);
}

TEST_F(SortableListTest, HostileColumnTextsStillGiveColumns)
{
    list.setColumns("Name;Size,wide;;Date,-5;Last,12");
    ASSERT_EQ(list.columnCount(), 5);
    EXPECT_EQ(list.model()->headerData(0, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(list.columnWidth(1), 0);
    EXPECT_EQ(list.columnWidth(2), 0);
    EXPECT_EQ(list.columnWidth(3), 12);
    EXPECT_EQ(list.lineCount(), 0);
    list.setColumns("");
    EXPECT_EQ(list.columnCount(), 1) << "only the Type column";
    EXPECT_EQ(list.addLine(2, {"lost"}), 0);
    EXPECT_EQ(list.lineKind(0), 2);
}

TEST_F(SortableListTest, HeadingClicksSortNumbersAscendingThenTheOtherWay)
{
    clickHeading(kReceived);
    EXPECT_EQ(columnTexts(kReceived), (QStringList{"9", "10", "100"}));
    EXPECT_EQ(list.header()->sortIndicatorSection(), kReceived);
    EXPECT_EQ(list.header()->sortIndicatorOrder(), Qt::AscendingOrder);
    clickHeading(kReceived);
    EXPECT_EQ(columnTexts(kReceived), (QStringList{"100", "10", "9"}));
    EXPECT_FALSE(list.sortAscending());
    // A new column starts ascending again.
    clickHeading(kDateAdded);
    EXPECT_EQ(columnTexts(kDateAdded), (QStringList{"2025.01.02", "2026.11.30", "2026.12.09"}));
    EXPECT_TRUE(list.sortAscending());
}

TEST_F(SortableListTest, TheTypeHeadingSortsByTheHiddenKind)
{
    clickHeading(0);
    EXPECT_EQ(columnTexts(list.kindColumn()), (QStringList{"2", "3", "7"}));
    EXPECT_EQ(list.sortColumn(), 0);
    clickHeading(0);
    EXPECT_EQ(columnTexts(kValue), (QStringList{"NZ", "example.org", "b@example.org"}));
}

TEST_F(SortableListTest, StatePicturesFollowTheKind)
{
    QList<QPixmap> strip;
    for (int picture = 0; picture < 7; ++picture) {
        QPixmap pixmap(16, 16);
        pixmap.fill(QColor(picture * 30, 0, 0));
        strip.append(pixmap);
    }
    list.setStatePictures(strip);
    auto picture = [&](int line) {
        return list.model()->index(line, 0).data(Qt::DecorationRole).value<QPixmap>().toImage().pixelColor(0, 0);
    };
    EXPECT_EQ(picture(0), QColor(60, 0, 0)) << "kind 3 shows picture 2";
    EXPECT_EQ(picture(2), QColor(180, 0, 0));
    list.addLine(1, {"nothing"});
    EXPECT_FALSE(list.model()->index(3, 0).data(Qt::DecorationRole).isValid()) << "picture 0 is none";
    list.addLine(9, {"past the strip"});
    EXPECT_FALSE(list.model()->index(4, 0).data(Qt::DecorationRole).isValid());
}

} // namespace
} // namespace kvn::ui
