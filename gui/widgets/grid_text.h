#pragma once
// The rows of a results grid as text, apart from the clipboard and files:
// the shown columns in their order, one line per record, UTF-8.

#include "gui/widgets/phone_grid_model.h"
#include "tools/list_text.h"

#include <string>
#include <vector>

namespace talsk {

// The columns a grid shows (wider than nothing), left to right.
std::vector<int> shownColumns(const PhoneGridModel& grid);

// Which rows leave the grid: what a copy takes (the selected rows, or the
// current row when none is selected) or every row, as a saved list does.
enum class GridRows { Copied, All };

// Appends the rows' cells in the given columns, one row each.
void appendGridRows(const PhoneGridModel& grid, const std::vector<int>& columns, GridRows which,
                    ListText& list);

// The clipboard's text of a copy: tab-separated, without titles.
std::string copiedRowsText(const PhoneGridModel& grid);

// The telephone cell of the current row, UTF-8; empty without a current row.
std::string currentPhoneText(const PhoneGridModel& grid);

} // namespace talsk
