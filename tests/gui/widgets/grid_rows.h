#pragma once
// Rows of cell text for grid tests, kept alive while a grid points into them.
// Texts are written in UTF-8 and stored in Windows-1251; an address cell
// (column 2) is "street|house|unit" and is stored as three NUL-ended strings.

#include "gui/widgets/phone_grid_model.h"
#include "platform/cp1251.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace talsk::test {

class GridRows {
public:
    GridRows(std::initializer_list<std::vector<std::string>> rows) {
        for (const auto& row : rows) {
            std::vector<std::string> stored;
            for (size_t c = 0; c < row.size(); ++c)
                stored.push_back(c == PhoneGridModel::kAddressColumn ? address(row[c])
                                                                     : utf8ToCp1251(row[c]));
            rows_.push_back(stored);
        }
    }

    int size() const { return static_cast<int>(rows_.size()); }

    // Sets the row count and points every cell at its text; columns as wide
    // as the longest row.
    template <typename Grid> void fill(Grid& grid) const {
        grid.setRowCount(size());
        for (int r = 0; r < size(); ++r)
            for (size_t c = 0; c < rows_[r].size(); ++c)
                grid.setCell(r, static_cast<int>(c), rows_[r][c].c_str());
    }

    // The row of the grid whose cell in `column` points at row `source` here.
    const char* text(int source, int column) const { return rows_[source][column].c_str(); }

private:
    static std::string address(const std::string& utf8) {
        std::string parts = utf8ToCp1251(utf8);
        int bars = 0;
        for (char& ch : parts)
            if (ch == '|' && bars < 2) ch = '\0', ++bars;
        for (; bars < 2; ++bars)
            parts.push_back('\0');
        return parts;
    }

    std::vector<std::vector<std::string>> rows_;
};

} // namespace talsk::test
