// The results grid's rules without a window: selection, layout, keys, mouse,
// sorting and row removal.

#include "base/char_tables.h"
#include "grid_rows.h"
#include "gui/widgets/phone_grid_model.h"
#include "platform/cp1251.h"

#include <gtest/gtest.h>

#include <set>

namespace talsk {
namespace {

using Model = PhoneGridModel;
constexpr unsigned kShift = Model::kShift;
constexpr unsigned kCtrl = Model::kControl;

// Five 100-pixel columns, 16-pixel header and rows, `rows` empty rows and a
// client area of `pageRows` whole rows.
void setUp(Model& model, int rows, int pageRows, int clientWidth = 500) {
    model.setColumnCount(5);
    for (int c = 0; c < 5; ++c)
        model.setColumnWidth(c, 100);
    model.setRowCount(rows);
    model.layout(clientWidth, 16 + pageRows * 16);
}

std::set<int> selection(const Model& model) {
    std::set<int> rows;
    for (int r = 0; r < model.rowCount(); ++r)
        if (model.isSelected(r)) rows.insert(r);
    return rows;
}

int yOfRow(const Model& model, int row) {
    return model.headerHeight() + (row - model.firstRow()) * model.rowHeight() + 3;
}

TEST(PhoneGridModel, SelectionFollowsPlainCtrlAndShiftRules) {
    struct Step {
        int row;
        unsigned modifiers;
        std::set<int> selected;
        int anchor;
    };
    const std::vector<Step> steps = {
        {50, 0, {}, -1},            // a current row out of range, no anchor yet
        {2, kShift, {0, 1, 2}, -1}, // the range starts at the first row
        {3, 0, {3}, 3},
        {6, kShift, {3, 4, 5, 6}, 3},
        {1, kShift, {1, 2, 3}, 3},
        {5, kCtrl, {1, 2, 3, 5}, 5},
        {7, kShift, {5, 6, 7}, 5},
        {5, kCtrl | kShift, {6, 7}, 5}, // Ctrl wins
        {20, 0, {6, 7}, 5},             // out of range: only the current row moves
        {-1, 0, {6, 7}, 5},
        {8, kShift, {8}, 8}, // Shift without a current row is a plain click
    };
    Model model;
    std::vector<int> reported;
    model.setSelectListener([&](int row) { reported.push_back(row); });
    setUp(model, 10, 5);
    std::vector<int> expectedReports;
    for (const Step& step : steps) {
        model.select(step.row, step.modifiers);
        expectedReports.push_back(step.row);
        EXPECT_EQ(selection(model), step.selected) << "select " << step.row;
        EXPECT_EQ(model.anchorRow(), step.anchor) << "select " << step.row;
        EXPECT_EQ(model.currentRow(), step.row);
    }
    EXPECT_EQ(reported, expectedReports);
    EXPECT_EQ(model.firstSelected(), 8);
    EXPECT_EQ(model.lastSelected(), 8);
    EXPECT_FALSE(model.moreThanOneSelected());

    model.invertSelection();
    EXPECT_EQ(model.selectedCount(), 9);
    EXPECT_EQ(model.firstSelected(), 0);
    EXPECT_EQ(model.lastSelected(), 9);
    EXPECT_FALSE(model.isSelected(10));
}

TEST(PhoneGridModel, LayoutSizesPagesBarsAndOffsets) {
    struct Case {
        int clientWidth, clientHeight, rows;
        int visibleWidth, pageRows, horizontalMaximum, verticalMaximum;
        bool horizontalBar, verticalBar;
    };
    const Case cases[] = {
        {300, 100, 50, 300, 5, 200, 45, true, true},
        {600, 400, 3, 500, 3, 0, 0, false, false},
        {500, 16, 10, 500, 0, 0, 10, false, true},
        {-5, 8, 0, 0, 0, 500, 0, true, false},
    };
    for (const Case& c : cases) {
        Model model;
        model.setColumnCount(5);
        for (int i = 0; i < 5; ++i)
            model.setColumnWidth(i, 100);
        model.setRowCount(c.rows);
        model.layout(c.clientWidth, c.clientHeight);
        SCOPED_TRACE(testing::Message() << c.clientWidth << "x" << c.clientHeight);
        EXPECT_EQ(model.totalWidth(), 500);
        EXPECT_EQ(model.visibleWidth(), c.visibleWidth);
        EXPECT_EQ(model.pageRows(), c.pageRows);
        EXPECT_EQ(model.horizontalMaximum(), c.horizontalMaximum);
        EXPECT_EQ(model.verticalMaximum(), c.verticalMaximum);
        EXPECT_EQ(model.horizontalBarShown(), c.horizontalBar);
        EXPECT_EQ(model.verticalBarShown(), c.verticalBar);
    }

    // Growing the window pulls scrolled offsets back so no blank shows.
    Model model;
    setUp(model, 50, 5, 300);
    model.scrollHorizontal(Model::Scroll::End);
    model.scrollVertical(Model::Scroll::End);
    EXPECT_EQ(model.horizontalOffset(), 200);
    EXPECT_EQ(model.firstRow(), 45);
    model.layout(450, 16 + 10 * 16);
    EXPECT_EQ(model.horizontalOffset(), 50);
    EXPECT_EQ(model.firstRow(), 40);
    EXPECT_EQ(model.columnLeft(2), 200);
    EXPECT_EQ(model.columnRight(2), 300);
}

TEST(PhoneGridModel, ScrollRequestsStayInRange) {
    struct Case {
        Model::Scroll request;
        int thumb, start, rows, pixels;
    };
    // 100 rows with a page of 10 (maximum 90); 500 pixels in a 300 window.
    const Case cases[] = {
        {Model::Scroll::LineForward, 0, 0, 1, 1},     {Model::Scroll::LineBack, 0, 0, 0, 0},
        {Model::Scroll::PageForward, 0, 85, 90, 200}, {Model::Scroll::PageBack, 0, 15, 5, 0},
        {Model::Scroll::Thumb, 70000, 0, 90, 200},    {Model::Scroll::Thumb, 42, 0, 42, 42},
        {Model::Scroll::End, 0, 0, 90, 200},          {Model::Scroll::Start, 0, 50, 0, 0},
        {Model::Scroll::Done, 0, 50, 50, 50},
    };
    for (const Case& c : cases) {
        Model model;
        setUp(model, 100, 10, 300);
        model.scrollVertical(Model::Scroll::Thumb, c.start);
        model.scrollHorizontal(Model::Scroll::Thumb, c.start);
        const int moved = model.scrollVertical(c.request, c.thumb);
        model.scrollHorizontal(c.request, c.thumb);
        EXPECT_EQ(model.firstRow(), c.rows) << static_cast<int>(c.request) << " from " << c.start;
        EXPECT_EQ(moved, model.firstRow() - c.start);
        EXPECT_EQ(model.horizontalOffset(), c.pixels) << static_cast<int>(c.request);
    }
}

TEST(PhoneGridModel, NavigationKeysMoveTheCurrentRowAndScroll) {
    struct Case {
        Model::Key key;
        bool shift;
        int current, first;
        int newCurrent, newFirst, selected;
    };
    // 100 rows, 10 on a page.
    const Case cases[] = {
        {Model::Key::Down, false, 9, 0, 10, 1, 1},  {Model::Key::Up, false, 0, 0, 0, 0, 1},
        {Model::Key::Up, false, 45, 45, 44, 44, 1}, {Model::Key::PageDown, false, 0, 0, 10, 10, 1},
        {Model::Key::PageUp, false, 5, 0, 0, 0, 1}, {Model::Key::End, false, 0, 0, 99, 90, 1},
        {Model::Key::Home, false, 50, 45, 0, 0, 1}, {Model::Key::Down, false, -1, 0, 0, 0, 1},
        {Model::Key::Down, true, 3, 0, 4, 0, 2},    {Model::Key::End, true, 95, 90, 99, 90, 5},
    };
    for (const Case& c : cases) {
        Model model;
        setUp(model, 100, 10);
        model.scrollVertical(Model::Scroll::Thumb, c.first);
        model.select(c.current, 0);
        model.pressKey(c.key, c.shift);
        SCOPED_TRACE(testing::Message()
                     << "key " << static_cast<int>(c.key) << " at " << c.current);
        EXPECT_EQ(model.currentRow(), c.newCurrent);
        EXPECT_EQ(model.firstRow(), c.newFirst);
        EXPECT_EQ(model.selectedCount(), c.selected);
    }

    Model empty;
    int reports = 0;
    empty.setSelectListener([&](int) { ++reports; });
    setUp(empty, 0, 10);
    empty.pressKey(Model::Key::End, false);
    EXPECT_EQ(empty.currentRow(), -1);
    EXPECT_EQ(reports, 0);
}

TEST(PhoneGridModel, GoToRowCentresTheRow) {
    Model model;
    setUp(model, 100, 10);
    model.goToRow(500, true);
    EXPECT_EQ(model.currentRow(), 99);
    EXPECT_EQ(model.firstRow(), 90);
    model.goToRow(40, true);
    EXPECT_EQ(model.firstRow(), 35);
    EXPECT_EQ(selection(model), std::set<int>{40});
}

TEST(PhoneGridModel, DraggingExtendsAndScrollsTheSelection) {
    Model model;
    setUp(model, 20, 5);
    EXPECT_TRUE(model.pressLeft(10, yOfRow(model, 2), 0));
    EXPECT_EQ(model.currentRow(), 2);
    model.moveMouse(10, yOfRow(model, 4), 0, true);
    EXPECT_EQ(selection(model), (std::set<int>{2, 3, 4}));

    // Below the window: the row under the pointer is scrolled into view.
    model.moveMouse(10, 200, 0, true);
    EXPECT_EQ(model.currentRow(), 11);
    EXPECT_EQ(model.firstRow(), 7);
    EXPECT_EQ(model.selectedCount(), 10);

    model.releaseLeft();
    model.moveMouse(10, yOfRow(model, 8), 0, true);
    EXPECT_EQ(model.currentRow(), 11);

    // Right click: a selected row keeps the selection, another row takes it alone.
    EXPECT_FALSE(model.pressRight(10, yOfRow(model, 9), 0));
    EXPECT_EQ(model.selectedCount(), 10);
    model.scrollVertical(Model::Scroll::Start);
    EXPECT_TRUE(model.pressRight(10, yOfRow(model, 1), 0));
    EXPECT_EQ(selection(model), std::set<int>{1});

    // A press beside the columns or in the header selects nothing.
    EXPECT_FALSE(model.pressLeft(10, 5, 0));
    model.layout(800, 96);
    EXPECT_FALSE(model.pressLeft(700, yOfRow(model, 3), 0));
    EXPECT_EQ(model.currentRow(), 1);
}

TEST(PhoneGridModel, HoverFollowsTheMouseOverRowsAndEmptyPageRows) {
    Model model;
    setUp(model, 2, 5);
    model.moveMouse(10, yOfRow(model, 3), 0, false);
    EXPECT_EQ(model.hoverRow(), -1); // tracking is off at first

    model.setHoverTracking(true);
    model.moveMouse(10, yOfRow(model, 3), 0, false);
    EXPECT_EQ(model.hoverRow(), 3);
    EXPECT_EQ(model.look(3), Model::Look::Hover);
    EXPECT_TRUE(model.leaveTrackingArmed());

    model.select(1, 0);
    model.moveMouse(10, yOfRow(model, 1), 0, false);
    EXPECT_EQ(model.hoverRow(), -1); // a selected row is not hovered
    EXPECT_EQ(model.look(1), Model::Look::Selected);

    model.moveMouse(10, yOfRow(model, 0), 0, false);
    model.moveMouse(10, 5, 0, false); // over the header: hover stays
    EXPECT_EQ(model.hoverRow(), 0);

    EXPECT_TRUE(model.leaveMouse());
    EXPECT_EQ(model.hoverRow(), -1);
    EXPECT_FALSE(model.leaveTrackingArmed());

    model.moveMouse(10, yOfRow(model, 0), 0, false);
    model.setHoverTracking(false);
    EXPECT_EQ(model.hoverRow(), -1);
    EXPECT_EQ(model.look(0), Model::Look::Normal);
}

TEST(PhoneGridModel, DoubleClickOpensDataRowsOnly) {
    Model model;
    setUp(model, 3, 5, 800);
    EXPECT_EQ(model.doubleClickRow(10, yOfRow(model, 1)), 1);
    EXPECT_EQ(model.doubleClickRow(10, yOfRow(model, 4)), -1);  // below the data
    EXPECT_EQ(model.doubleClickRow(600, yOfRow(model, 1)), -1); // right of the columns
    EXPECT_EQ(model.doubleClickRow(10, 4), -1);                 // header
}

TEST(PhoneGridModel, FractionsSetWidthsAndNegativeOnesAreIgnored) {
    Model model;
    model.setColumnCount(3);
    model.setColumnFraction(0.2f, 0);
    model.setColumnFraction(0.5f, 1);
    model.setColumnFraction(0.3f, 2);
    model.setColumnFraction(-1.0f, 2);
    model.applyFractions(1001);
    EXPECT_EQ(model.columnWidth(0), 200);
    EXPECT_EQ(model.columnWidth(1), 500);
    EXPECT_EQ(model.columnWidth(2), 300);
    EXPECT_EQ(model.totalWidth(), 1000);
}

// A column kept readable takes what it lacks from the widest column, and a
// column given nothing stays hidden.
TEST(PhoneGridModel, ColumnMinimumWinsOverItsShareAndTheWidestPays) {
    Model model;
    model.setColumnCount(3);
    model.setColumnFraction(0.1f, 0);
    model.setColumnFraction(0.6f, 1);
    model.setColumnFraction(0.3f, 2);
    model.setColumnMinimum(0, 150);
    model.applyFractions(1000);
    EXPECT_EQ(model.columnWidth(0), 150);
    EXPECT_EQ(model.columnWidth(1), 550);
    EXPECT_EQ(model.columnWidth(2), 300);
    EXPECT_EQ(model.totalWidth(), 1000);
    model.setColumnWidth(0, 40); // a narrower pixel width is raised
    EXPECT_EQ(model.columnWidth(0), 150);
    model.setColumnWidth(0, 0);
    EXPECT_EQ(model.columnWidth(0), 0);
    model.setColumnFraction(0.0f, 0);
    model.applyFractions(1000);
    EXPECT_EQ(model.columnWidth(0), 0);
}

// The source row each grid row shows, found through its column 0 pointer.
std::vector<int> shownOrder(const Model& model, const test::GridRows& rows) {
    std::vector<int> order;
    for (int r = 0; r < model.rowCount(); ++r)
        for (int s = 0; s < rows.size(); ++s)
            if (model.cell(r, 0) == rows.text(s, 0)) order.push_back(s);
    return order;
}

TEST(PhoneGridModel, SortAlternatesAndKeepsEmptyCellsTogether) {
    const test::GridRows rows = {
        {"5", "иванов", "Ленина|2|"},  {"10", "Абрамов", "Ленина|10|"},
        {"", "борисов", "Ленина|1|3"}, {"7", "", "Мира|1|"},
        {"9", "ВАСИН", "Абая|5|"},
    };
    struct Step {
        int column;
        std::vector<int> order;
    };
    const std::vector<Step> steps = {
        {1, {3, 1, 2, 4, 0}},                       // empty first, letter case ignored
        {1, {0, 4, 2, 1, 3}},                       // descending, empty last
        {1, {3, 1, 2, 4, 0}}, {0, {2, 1, 0, 3, 4}}, // digits as text: "10" before "5"
        {2, {4, 2, 1, 0, 3}},                       // houses 1, 10, 2 of one street
        {2, {3, 0, 1, 2, 4}}, {1, {3, 1, 2, 4, 0}}, // another column in between restarts ascending
    };
    Model model;
    setUp(model, 0, 5);
    rows.fill(model);
    GridSortState state;
    for (const Step& step : steps) {
        model.sortByColumn(step.column, state);
        EXPECT_EQ(shownOrder(model, rows), step.order) << "column " << step.column;
    }
    model.sortByColumn(5, state);
    EXPECT_EQ(state.lastColumn, 1);
}

TEST(PhoneGridModel, SortMovesSelectionAndPayloadWithTheRow) {
    const test::GridRows rows = {{"3"}, {"1"}, {"2"}};
    Model model;
    setUp(model, 0, 5);
    rows.fill(model);
    for (int r = 0; r < 3; ++r)
        model.setPayload(r, 100 + r);
    model.select(0, 0);
    GridSortState state;
    model.sortByColumn(0, state);
    EXPECT_EQ(shownOrder(model, rows), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(model.payload(0), 101u);
    EXPECT_EQ(model.payload(2), 100u);
    EXPECT_EQ(selection(model), std::set<int>{2});
    EXPECT_EQ(model.currentRow(), 0); // the index stays, the row moved
}

TEST(PhoneGridModel, SortOrdersLargeRandomColumns) {
    // Long runs of equal keys, keys alike in their first eight letters but
    // for case, and every order of the quicksort's ranges.
    const std::string stems[] = {utf8ToCp1251("Ивановский"), utf8ToCp1251("иВАНОВСКИЙ"),
                                 utf8ToCp1251("Иванов"), "1"};
    std::vector<std::string> texts;
    uint32_t seed = 12345;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 1103515245u + 12345u;
        texts.push_back(stems[(seed >> 8) % 4] + std::to_string((seed >> 16) % 300));
    }
    Model model;
    setUp(model, static_cast<int>(texts.size()), 5);
    for (int r = 0; r < model.rowCount(); ++r)
        model.setCell(r, 0, texts[r].c_str());
    const UpperTable& upper = upperTable();
    const auto upperCased = [&](const char* text) {
        std::string u(text);
        for (char& c : u)
            c = static_cast<char>(upper[static_cast<unsigned char>(c)]);
        return u;
    };
    GridSortState state;
    for (int pass = 0; pass < 2; ++pass) {
        model.sortByColumn(0, state);
        for (int r = 1; r < model.rowCount(); ++r) {
            const int cmp = upperCased(model.cell(r - 1, 0)).compare(upperCased(model.cell(r, 0)));
            ASSERT_TRUE(pass == 0 ? cmp <= 0 : cmp >= 0) << "row " << r;
        }
    }
}

TEST(PhoneGridModel, DeletingRowsMovesTheCurrentRowBack) {
    Model model;
    std::vector<int> reported;
    model.setSelectListener([&](int row) { reported.push_back(row); });
    setUp(model, 6, 5);
    for (int r = 0; r < 6; ++r)
        model.setPayload(r, r);
    model.select(1, 0);
    model.select(3, kCtrl);
    model.select(4, kCtrl);
    model.deleteSelectedRows();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.payload(0), 0u);
    EXPECT_EQ(model.payload(1), 2u);
    EXPECT_EQ(model.payload(2), 5u);
    EXPECT_EQ(model.currentRow(), 2);
    EXPECT_EQ(selection(model), std::set<int>{2});

    model.deleteRow(0, true);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.currentRow(), 1);
    model.setRowCount(1);
    EXPECT_EQ(model.currentRow(), -1);
    EXPECT_EQ(reported, (std::vector<int>{1, 3, 4, 2, 1, -1}));
}

TEST(PhoneGridModel, AddressShowsHouseAndUnitWhenPresent) {
    const struct {
        const char* cell;
        const char* shown;
    } cases[] = {
        {"Ленина|1|3", "Ленина  1 - 3"},
        {"Ленина||3", "Ленина - 3"},
        {"Ленина|12а|", "Ленина  12а"},
        {"||", ""},
    };
    for (const auto& c : cases) {
        const test::GridRows rows = {{"", "", c.cell}};
        EXPECT_EQ(cp1251ToUtf8(Model::addressText(rows.text(0, 2))), c.shown);
    }
    EXPECT_EQ(Model::addressText(nullptr), "");
    // As a screen reader reads the cells, and how long the longest is.
    const test::GridRows rows = {{"12-34", "", "Мира|7|2"}, {"5", "", "Ленина||"}};
    Model model;
    setUp(model, 0, 5);
    rows.fill(model);
    EXPECT_EQ(cp1251ToUtf8(model.cellText(0, 2)), "Мира  7 - 2");
    EXPECT_EQ(model.cellText(1, 0), "5");
    EXPECT_EQ(model.cellText(2, 0), "");
    EXPECT_EQ(model.longestCell(0), 5u);
    EXPECT_EQ(model.longestCell(2), 11u); // one byte a letter
}

TEST(PhoneGridModel, FieldCellsPointIntoTheRecord) {
    const char record[] = "101\0Петров\0Мира\0"
                          "7\0"
                          "2\0Завод\0заметка";
    FieldPointers fields{};
    const char* p = record;
    for (int k = 0; k < kFieldCount; ++k) {
        fields.field[k] = p;
        p += std::char_traits<char>::length(p) + 1;
    }
    Model model;
    setUp(model, 1, 5);
    model.setFieldCells(0, fields);
    const int expectedField[] = {1, 2, 3, 6, 7};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(model.cell(0, c), fields[expectedField[c]]) << "column " << c;
    model.setFieldCells(5, fields); // out of range: nothing happens
    EXPECT_EQ(model.cell(5, 0), nullptr);
}

} // namespace
} // namespace talsk
