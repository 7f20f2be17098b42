#include "gui/widgets/grid_text.h"

#include "platform/cp1251.h"

#include <cstring>

namespace talsk {

namespace {

constexpr int kPhoneColumn = 0;

void appendRow(const PhoneGridModel& grid, const std::vector<int>& columns, int row,
               ListText& list) {
    for (int column : columns) {
        const char* cell = grid.cell(row, column);
        if (column == PhoneGridModel::kAddressColumn)
            list.cellCp1251(PhoneGridModel::addressText(cell));
        else
            list.cellCp1251(cell != nullptr ? std::string_view(cell) : std::string_view());
    }
    list.endRow();
}

} // namespace

std::vector<int> shownColumns(const PhoneGridModel& grid) {
    std::vector<int> columns;
    for (int c = 0; c < grid.columnCount(); ++c)
        if (grid.columnWidth(c) > 0) columns.push_back(c);
    return columns;
}

void appendGridRows(const PhoneGridModel& grid, const std::vector<int>& columns, GridRows which,
                    ListText& list) {
    const int rows = grid.rowCount();
    const int taken = which == GridRows::All ? rows : grid.selectedCount();
    if (taken > 0) {
        // A rough guess of the text's size spares the string most regrowths.
        list.reserve(list.text().size() + static_cast<size_t>(taken) * columns.size() * 16);
        for (int r = 0; r < rows; ++r)
            if (which == GridRows::All || grid.isSelected(r)) appendRow(grid, columns, r, list);
    } else if (grid.currentRow() >= 0 && grid.currentRow() < rows) {
        appendRow(grid, columns, grid.currentRow(), list);
    }
}

std::string copiedRowsText(const PhoneGridModel& grid) {
    ListText list(ListFormat::Text);
    appendGridRows(grid, shownColumns(grid), GridRows::Copied, list);
    return list.take();
}

std::string currentPhoneText(const PhoneGridModel& grid) {
    const int row = grid.currentRow();
    if (row < 0 || row >= grid.rowCount() || grid.columnCount() <= kPhoneColumn) return {};
    const char* cell = grid.cell(row, kPhoneColumn);
    return cell != nullptr ? cp1251ToUtf8(cell) : std::string();
}

} // namespace talsk
