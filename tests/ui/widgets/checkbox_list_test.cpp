#include "ui/widgets/checkbox_list.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace kvn::ui {
namespace {

constexpr int kBoxed = 1;
constexpr int kText = 2;

// Three lines: column 0 their number, column 1 a clear box under a heading
// box, column 2 a name and no box.
class CheckboxListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.resize(400, 200);
        list.setColumns({"", "Trust", "Name"});
        const QStringList names = {"bravo", "Alpha", "charlie"};
        for (int line = 0; line < 3; ++line) {
            list.insertLine(line);
            list.setCellText(line, 0, QString::number(line));
            list.setCellCheckbox(line, kBoxed, ClearCellBox);
            list.setCellText(line, kText, names[line]);
        }
        list.setHeaderCheckbox(kBoxed, ClearHeaderBox);
        list.show();
    }

    void clickCell(int line, int column)
    {
        QRect cell = list.visualRect(list.model()->index(line, column));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    }

    void clickHeading(int column)
    {
        QHeaderView* header = list.header();
        QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    std::vector<int> column(int index) const
    {
        std::vector<int> states;
        for (int line = 0; line < list.lineCount(); ++line)
            states.push_back(list.cellCheckbox(line, index));
        return states;
    }

    CheckboxList list;
};

TEST_F(CheckboxListTest, HeadingBoxIsTickedExactlyWhenEveryLineIsTicked)
{
    list.setCellCheckbox(0, kBoxed, TickedCellBox);
    list.setCellCheckbox(1, kBoxed, TickedCellBox);
    EXPECT_EQ(list.headerCheckbox(kBoxed), ClearHeaderBox);
    list.setCellCheckbox(2, kBoxed, TickedCellBox);
    EXPECT_EQ(list.headerCheckbox(kBoxed), TickedHeaderBox);
    list.setCellCheckbox(1, kBoxed, ClearCellBox);
    EXPECT_EQ(list.headerCheckbox(kBoxed), ClearHeaderBox);
    // A column without a heading box keeps none.
    list.setCellCheckbox(0, kText, TickedCellBox);
    EXPECT_EQ(list.headerCheckbox(kText), NoHeaderBox);
}

TEST_F(CheckboxListTest, UserClickTogglesTheBoxThenReportsAndTheHeadingFollows)
{
    QSignalSpy clicked(&list, &CheckboxList::checkboxClicked);
    std::vector<int> seen;
    QObject::connect(&list, &CheckboxList::checkboxClicked,
        [&](int line, int column) { seen.push_back(list.cellCheckbox(line, column)); });
    clickCell(0, kBoxed);
    clickCell(1, kBoxed);
    clickCell(2, kBoxed);
    ASSERT_EQ(clicked.count(), 3);
    EXPECT_EQ(clicked[2][0].toInt(), 2);
    EXPECT_EQ(clicked[2][1].toInt(), kBoxed);
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 1})) << "the signal comes after the toggle";
    EXPECT_EQ(list.headerCheckbox(kBoxed), TickedHeaderBox);

    clickCell(1, kBoxed);
    EXPECT_EQ(list.cellCheckbox(1, kBoxed), ClearCellBox);
    EXPECT_EQ(list.headerCheckbox(kBoxed), ClearHeaderBox);
    // A cell without a box is no checkbox to click.
    clickCell(1, kText);
    EXPECT_EQ(clicked.count(), 4);
    EXPECT_EQ(list.cellCheckbox(1, kText), NoCellBox);
}

TEST_F(CheckboxListTest, HeadingClickIsReportedWhileTheCellsStillHoldTheirOldStates)
{
    list.setCellCheckbox(2, kBoxed, TickedCellBox);
    list.setCellCheckbox(1, kBoxed, NoCellBox);
    std::vector<int> seen;
    int reportedState = 0;
    QObject::connect(&list, &CheckboxList::headerCheckboxClicked, [&](int column, int newState) {
        EXPECT_EQ(column, kBoxed);
        reportedState = newState;
        seen = column == kBoxed ? this->column(kBoxed) : std::vector<int>{};
    });
    QSignalSpy headings(&list, &CheckboxList::columnClicked);

    clickHeading(kBoxed);
    EXPECT_EQ(reportedState, TickedHeaderBox);
    EXPECT_EQ(seen, (std::vector<int>{0, -1, 1}));
    EXPECT_EQ(column(kBoxed), (std::vector<int>{1, -1, 1})) << "a cell without a box gets none";
    EXPECT_EQ(list.headerCheckbox(kBoxed), TickedHeaderBox);

    clickHeading(kBoxed);
    EXPECT_EQ(reportedState, ClearHeaderBox);
    EXPECT_EQ(seen, (std::vector<int>{1, -1, 1}));
    EXPECT_EQ(column(kBoxed), (std::vector<int>{0, -1, 0}));
    EXPECT_EQ(headings.count(), 0) << "a heading box is not a sort click";

    clickHeading(kText);
    ASSERT_EQ(headings.count(), 1);
    EXPECT_EQ(headings[0][0].toInt(), kText);
}

TEST_F(CheckboxListTest, SettingAWholeColumnClearsItsHeadingBox)
{
    list.setCellCheckbox(1, kBoxed, NoCellBox);
    list.setColumnCheckboxes(kBoxed, TickedCellBox);
    EXPECT_EQ(column(kBoxed), (std::vector<int>{1, -1, 1}));
    EXPECT_EQ(list.headerCheckbox(kBoxed), ClearHeaderBox);
}

TEST_F(CheckboxListTest, CellsOutOfRangeAnswerEmpty)
{
    EXPECT_EQ(list.cellCheckbox(-1, kBoxed), NoCellBox);
    EXPECT_EQ(list.cellCheckbox(3, kBoxed), NoCellBox);
    EXPECT_EQ(list.cellCheckbox(0, 3), NoCellBox);
    EXPECT_EQ(list.cellText(7, 0), QString());
    EXPECT_EQ(list.headerCheckbox(9), NoHeaderBox);
    list.setCellCheckbox(5, kBoxed, TickedCellBox);
    list.setCellText(0, 9, "x");
    list.setHeaderCheckbox(kBoxed, 7);
    EXPECT_EQ(list.headerCheckbox(kBoxed), ClearHeaderBox);
    EXPECT_EQ(column(kBoxed), (std::vector<int>{0, 0, 0}));
}

TEST_F(CheckboxListTest, CellsKeepColoursAndTooltipTextsAndAskForTooltips)
{
    list.setCellColours(1, kText, Qt::red, Qt::yellow);
    list.setCellTooltip(1, kText, "preview of the mail");
    EXPECT_EQ(list.cellTextColour(1, kText), QColor(Qt::red));
    EXPECT_EQ(list.cellTooltip(1, kText), "preview of the mail");
    EXPECT_EQ(list.cellTooltip(0, kText), QString());

    QSignalSpy asked(&list, &CheckboxList::tooltipRequested);
    QPoint at = list.visualRect(list.model()->index(1, kText)).center();
    QHelpEvent rest(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &rest);
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked[0][0].toInt(), 1);
    EXPECT_EQ(asked[0][1].toInt(), kText);
}

TEST_F(CheckboxListTest, SortsCaseInsensitivelyBothWaysAndKeepsTheCurrentLine)
{
    list.setCurrentIndex(list.model()->index(2, 0));
    list.sortLines(kText, true);
    EXPECT_EQ(list.cellText(0, kText), "Alpha");
    EXPECT_EQ(list.cellText(1, kText), "bravo");
    EXPECT_EQ(list.cellText(2, kText), "charlie");
    EXPECT_EQ(list.currentIndex().row(), 2);
    list.sortLines(kText, false);
    EXPECT_EQ(list.cellText(0, kText), "charlie");
    EXPECT_EQ(list.cellText(0, 0), "2") << "a line moves whole";
    EXPECT_EQ(list.currentIndex().row(), 0);
    EXPECT_EQ(list.sortColumn(), kText);
    EXPECT_FALSE(list.sortAscending());
}

// Pixels of the viewport that are not its background.
int inkIn(QWidget* viewport)
{
    QImage image = viewport->grab().toImage();
    QRgb background = image.pixel(0, image.height() - 1);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixel(x, y) != background;
    return ink;
}

// The mean x of the pixels in the cell that differ from its first column.
double inkCentre(CheckboxList& list, int line, int column)
{
    QRect cell = list.visualRect(list.model()->index(line, column));
    QImage image = list.viewport()->grab(cell).toImage();
    QRgb background = image.pixel(0, image.height() / 2);
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                sum += x;
                ++count;
            }
    return count ? sum / count : -1;
}

TEST_F(CheckboxListTest, ABoxInACentredColumnIsDrawnInTheMiddle)
{
    double left = inkCentre(list, 0, kBoxed);
    list.setColumnAlignment(kBoxed, Qt::AlignCenter);
    list.insertLine(3);
    list.setCellCheckbox(3, kBoxed, TickedCellBox);
    int middle = list.columnWidth(kBoxed) / 2;
    ASSERT_GT(left, 0);
    EXPECT_LT(left, middle - 10);
    EXPECT_NEAR(inkCentre(list, 0, kBoxed), middle, 4);
    EXPECT_NEAR(inkCentre(list, 3, kBoxed), middle, 4) << "a line added later is centred too";
}

TEST(CheckboxListEmpty, ShowsTheEmptyTextOnlyWithoutLines)
{
    CheckboxList list;
    list.resize(400, 200);
    list.setColumns({"", "Subject"});
    list.show();
    EXPECT_EQ(CheckboxList::emptyText(), "There are no items to show in this view.");
    EXPECT_GT(inkIn(list.viewport()), 50);
    list.insertLine(0);
    EXPECT_EQ(inkIn(list.viewport()), 0) << "an empty line has nothing to draw";
    list.deleteAllLines();
    EXPECT_GT(inkIn(list.viewport()), 50);
}

} // namespace
} // namespace kvn::ui
