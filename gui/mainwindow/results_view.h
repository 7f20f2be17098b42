#pragma once
// What the main window asks of the results table: show a search's hits,
// empty the list, count the rows. Plain, so the window can be built and
// tested against any implementation.

#include "base/records.h"
#include "base/search_state.h"

namespace talsk {

class ResultsView {
public:
    virtual ~ResultsView() = default;
    // Shows the state's hits with the columns for the mask; selectRow -1: none.
    virtual void showResults(const SearchState& state, TableMask mask, int selectRow) = 0;
    virtual void clearResults() = 0;
    virtual int rowCount() const = 0;
};

} // namespace talsk
