#pragma once
// The rows of a results grid on paper: a heading line (the search and the
// date), the column titles, the rows with grid lines and "стр. N из M" under
// each page, the columns scaled to the page's width.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPrinter;

namespace talsk {

class PhoneGridModel;

struct PrintedList {
    const PhoneGridModel* grid = nullptr;
    std::vector<int> columns; // shown columns, left to right
    QStringList titles;       // one per shown column
    QString heading;
};

// Told the pages done and the pages in all; false stops the printing.
using PrintProgress = std::function<bool(int done, int pages)>;

// Rows that fit one page of this printer, and the pages of a list of `rows`.
int printedRowsPerPage(QPrinter& printer);
int printedPageCount(int rows, int rowsPerPage);

// Paints every row of the grid; returns the pages painted, 0 when it could
// not start or was stopped.
int printListPages(QPrinter& printer, const PrintedList& list, const PrintProgress& progress = {});

} // namespace talsk
