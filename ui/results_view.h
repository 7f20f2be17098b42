#pragma once
// What the main window needs of the results table: the rows of a finished
// search, their removal, their number and the column layout by table kind.

#include "base/base_set.h"

class QWidget;

namespace talsk {

class ResultsView {
public:
    virtual ~ResultsView() = default;

    virtual QWidget* widget() = 0;
    // One row per hit: the first n hits of the state.
    virtual void fillRows(const BaseSet& set, const SearchState& state, int n) = 0;
    virtual void clearRows() = 0;
    virtual int rowCount() const = 0;
    // Column titles and widths for the tables of m.
    virtual void setKindColumns(TableMask m) = 0;
    virtual void setGridLines(bool on) = 0;
};

} // namespace talsk
