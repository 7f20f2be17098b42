// The rows a copy takes from the results grid, without a window: shown
// columns in order, selected rows or the current one, the address as shown.

#include "grid_rows.h"
#include "gui/widgets/grid_text.h"
#include "gui/widgets/phone_grid_model.h"

#include <gtest/gtest.h>

namespace talsk {
namespace {

const test::GridRows kRows = {
    {"22-33-44", "Иванов И.И.", "Ленина|5|12", "Завод", "тел.\tдоп."},
    {"11-00-01", "Петров", "Мира||", "", ""},
    {"09", "Справочная", "Садовая|1|", "Узел связи", "круглосуточно"},
};

void setUp(PhoneGridModel& grid, int hiddenColumn = -1) {
    grid.setColumnCount(5);
    for (int c = 0; c < 5; ++c)
        grid.setColumnWidth(c, c == hiddenColumn ? 0 : 80);
    kRows.fill(grid);
}

TEST(GridTextTest, CopyTakesSelectedRowsOrTheCurrentOne) {
    const std::string first = "22-33-44\tИванов И.И.\tЛенина  5 - 12\tЗавод\tтел. доп.\n";
    const std::string second = "11-00-01\tПетров\tМира\t\t\n";
    const std::string third = "09\tСправочная\tСадовая  1\tУзел связи\tкруглосуточно\n";
    const struct {
        const char* what;
        std::vector<std::pair<int, unsigned>> clicks; // row, modifiers
        bool clear;
        std::string text;
    } cases[] = {
        {"nothing current", {}, false, ""},
        {"one row", {{1, 0}}, false, second},
        {"range in grid order",
         {{2, 0}, {0, PhoneGridModel::kShift}},
         false,
         first + second + third},
        {"rows apart", {{0, 0}, {2, PhoneGridModel::kControl}}, false, first + third},
        {"current row once the selection is gone", {{2, 0}}, true, third},
    };
    for (const auto& c : cases) {
        PhoneGridModel grid;
        setUp(grid);
        for (const auto& [row, modifiers] : c.clicks)
            grid.select(row, modifiers);
        if (c.clear) grid.clearSelection();
        EXPECT_EQ(copiedRowsText(grid), c.text) << c.what;
    }
}

TEST(GridTextTest, HiddenColumnsAreLeftOut) {
    PhoneGridModel grid;
    setUp(grid, 3);
    EXPECT_EQ(shownColumns(grid), (std::vector<int>{0, 1, 2, 4}));
    grid.select(1, 0);
    EXPECT_EQ(copiedRowsText(grid), "11-00-01\tПетров\tМира\t\n");
}

TEST(GridTextTest, AllRowsAsCsvAndThePhoneAlone) {
    PhoneGridModel grid;
    setUp(grid);
    EXPECT_EQ(currentPhoneText(grid), "");
    grid.select(2, 0);
    EXPECT_EQ(currentPhoneText(grid), "09");

    ListText list(ListFormat::Csv);
    appendGridRows(grid, {0, 2}, GridRows::All, list);
    EXPECT_EQ(list.text(), "\xEF\xBB\xBF"
                           "22-33-44;Ленина  5 - 12\r\n"
                           "11-00-01;Мира\r\n"
                           "09;Садовая  1\r\n");
}

} // namespace
} // namespace talsk
