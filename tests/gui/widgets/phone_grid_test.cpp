// The results grid as the user meets it: clicks, keys, header clicks and
// what the rows look like on the screen.

#include "grid_rows.h"
#include "gui/widgets/phone_grid.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace talsk {
namespace {

class PhoneGridTest : public testing::Test {
protected:
    void SetUp() override {
        grid.setColumnCount(3);
        for (int c = 0; c < 3; ++c) {
            grid.setColumnTitle(c, QStringLiteral("Колонка"));
            grid.setColumnWidth(c, 120, true);
        }
        rows.fill(grid);
        grid.resize(420, 200);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    // A point inside a row of the rows area (viewport coordinates).
    QPoint rowPoint(int row, int x = 10) const {
        const PhoneGridModel& m = grid.model();
        return {x, (row - m.firstRow()) * m.rowHeight() + m.rowHeight() / 2};
    }

    void click(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, rowPoint(row));
    }

    QColor pixel(int x, int y) { return grid.viewport()->grab().toImage().pixelColor(x, y); }

    test::GridRows rows = {
        {"333", "Сидоров", "Мира|3|"},  {"111", "абрамов", "Ленина|10|2"},
        {"222", "Петров", "Ленина|1|"}, {"555", "Яковлев", ""},
        {"444", "ёлкин", "Садовая|4|"},
    };
    CPhoneGrid grid;
};

TEST_F(PhoneGridTest, ClicksSelectAndReportTheCurrentRow) {
    QSignalSpy current(&grid, &CPhoneGrid::currentRowChanged);
    click(1);
    click(3, Qt::ShiftModifier);
    click(2, Qt::ControlModifier);
    EXPECT_TRUE(grid.model().isSelected(1));
    EXPECT_FALSE(grid.model().isSelected(2));
    EXPECT_TRUE(grid.model().isSelected(3));
    EXPECT_FALSE(grid.model().isSelected(4));
    ASSERT_EQ(current.count(), 3);
    EXPECT_EQ(current.at(0).at(0).toInt(), 1);
    EXPECT_EQ(current.at(2).at(0).toInt(), 2);
    EXPECT_TRUE(grid.hasFocus());
}

TEST_F(PhoneGridTest, DoubleClickOpensOnlyDataRows) {
    QSignalSpy opened(&grid, &CPhoneGrid::rowDoubleClicked);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, rowPoint(2));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, rowPoint(7));
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toInt(), 2);
}

TEST_F(PhoneGridTest, HeaderClicksSortAlternately) {
    QHeaderView* header = grid.header();
    const auto clickTitle = [&](int column) {
        const QPoint at(header->sectionViewportPosition(column) + 20, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    const auto names = [&] {
        std::vector<int> order;
        for (int r = 0; r < rows.size(); ++r)
            for (int s = 0; s < rows.size(); ++s)
                if (grid.model().cell(r, 1) == rows.text(s, 1)) order.push_back(s);
        return order;
    };
    clickTitle(0); // another column first: the next click on 1 sorts ascending
    clickTitle(1);
    // Letter case does not count; Ё stands before А in the code page.
    EXPECT_EQ(names(), (std::vector<int>{4, 1, 2, 0, 3}));
    clickTitle(1);
    EXPECT_EQ(names(), (std::vector<int>{3, 0, 2, 1, 4}));
    clickTitle(1);
    EXPECT_EQ(names(), (std::vector<int>{4, 1, 2, 0, 3}));
}

TEST_F(PhoneGridTest, KeysMoveTheCurrentRowAndTheScrollBar) {
    grid.setRowCount(1000); // many more rows than a page
    click(0);
    QSignalSpy current(&grid, &CPhoneGrid::currentRowChanged);
    QTest::keyClick(&grid, Qt::Key_End);
    EXPECT_EQ(grid.model().currentRow(), 999);
    EXPECT_EQ(grid.verticalScrollBar()->value(), grid.model().verticalMaximum());
    EXPECT_GT(grid.verticalScrollBar()->maximum(), 0);
    QTest::keyClick(&grid, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(grid.model().selectedCount(), 2);
    QTest::keyClick(&grid, Qt::Key_Home);
    EXPECT_EQ(grid.model().currentRow(), 0);
    EXPECT_EQ(grid.verticalScrollBar()->value(), 0);
    ASSERT_EQ(current.count(), 3);
    EXPECT_EQ(current.at(1).at(0).toInt(), 998);
}

TEST_F(PhoneGridTest, RowsShowTheirColours) {
    grid.setHoverTracking(true);
    click(1);
    QTest::mouseMove(grid.viewport(), rowPoint(3, 118));
    const int rowHeight = grid.model().rowHeight();
    const auto rowPixel = [&](int row, int x) { return pixel(x, row * rowHeight + 1); };
    EXPECT_EQ(rowPixel(1, 118), QColor(69, 69, 133));   // selected
    EXPECT_EQ(rowPixel(3, 118), QColor(243, 243, 253)); // under the mouse
    EXPECT_EQ(rowPixel(0, 118), QColor(255, 255, 255));
    EXPECT_EQ(rowPixel(0, 119), QColor(207, 207, 207)); // column line
    EXPECT_EQ(pixel(10, rowHeight - 1), QColor(207, 207, 207));
    EXPECT_EQ(rowPixel(0, 380), QColor(143, 143, 143)); // right of the columns

    // Empty rows fill the page below the data; the part row under them is dark.
    const int page = (grid.viewport()->height()) / rowHeight;
    EXPECT_EQ(rowPixel(page - 1, 118), QColor(255, 255, 255));
    if (grid.viewport()->height() % rowHeight > 1) {
        EXPECT_EQ(pixel(10, grid.viewport()->height() - 1), QColor(143, 143, 143));
    }

    // The text of a cell is drawn inside its row.
    const QImage shot = grid.viewport()->grab().toImage();
    int inked = 0;
    for (int y = 0; y < rowHeight - 1; ++y)
        for (int x = 121; x < 239; ++x)
            inked += shot.pixelColor(x, y) != QColor(255, 255, 255);
    EXPECT_GT(inked, 20);
}

TEST_F(PhoneGridTest, AutomaticWidthFollowsTheWindow) {
    for (int c = 0; c < 3; ++c)
        grid.setColumnFraction(c == 0 ? 0.5f : 0.25f, c);
    grid.setAutoWidth(true);
    const int width = grid.viewport()->width();
    EXPECT_EQ(grid.model().columnWidth(0), width / 2);
    EXPECT_EQ(grid.header()->sectionSize(0), width / 2);
    EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());

    grid.resize(620, 200);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const int now = grid.viewport()->width();
            return now != width && grid.model().columnWidth(0) == now / 2;
        },
        5000))
        << grid.model().columnWidth(0) << " " << grid.viewport()->width();

    grid.setAutoWidth(false);
    grid.setColumnWidth(1, 700, true);
    grid.resize(300, 200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return grid.horizontalScrollBar()->isVisible(); }, 5000));
    EXPECT_EQ(grid.model().columnWidth(1), 700);
}

} // namespace
} // namespace talsk
