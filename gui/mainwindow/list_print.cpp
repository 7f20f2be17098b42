#include "gui/mainwindow/list_print.h"

#include "gui/widgets/phone_grid_model.h"
#include "gui/widgets/text.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace talsk {

namespace {

QFont printFont() {
    QFont font = QApplication::font();
    font.setPointSizeF(9);
    return font;
}

// One line of the list, with room above and below the text.
int lineHeight(const QFontMetrics& fm) {
    return fm.height() * 3 / 2;
}

// Heading with a half line under it, titles, and the page number line with a
// half line above it.
int fixedLines(int line) {
    return line * 3 / 2 + line + line * 3 / 2;
}

QString cellText(const PhoneGridModel& grid, int row, int column) {
    const char* cell = grid.cell(row, column);
    return column == PhoneGridModel::kAddressColumn ? fromCp1251(PhoneGridModel::addressText(cell))
                                                    : fromCp1251(cell);
}

Qt::Alignment alignment(uint32_t format) {
    const Qt::Alignment across = format == PhoneGridModel::kAlignCenter  ? Qt::AlignHCenter
                                 : format == PhoneGridModel::kAlignRight ? Qt::AlignRight
                                                                         : Qt::AlignLeft;
    return across | Qt::AlignVCenter;
}

} // namespace

int printedRowsPerPage(QPrinter& printer) {
    const QFontMetrics fm(printFont(), &printer);
    const int line = lineHeight(fm);
    return std::max(1, (printer.height() - fixedLines(line)) / line);
}

int printedPageCount(int rows, int rowsPerPage) {
    return std::max(1, (rows + rowsPerPage - 1) / std::max(1, rowsPerPage));
}

int printListPages(QPrinter& printer, const PrintedList& list, const PrintProgress& progress) {
    if (list.grid == nullptr) return 0;
    const PhoneGridModel& grid = *list.grid;
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    const QFont font = printFont();
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(font);
    const QFontMetrics fm(font, &printer);
    const int line = lineHeight(fm);
    const int pad = fm.averageCharWidth() / 2;
    const int pageWidth = printer.width();
    const int perPage = printedRowsPerPage(printer);
    const int pages = printedPageCount(grid.rowCount(), perPage);

    // The grid's widths scaled to the page; equal shares when all are zero.
    std::vector<int> lefts(list.columns.size() + 1, 0);
    int total = 0;
    for (int c : list.columns)
        total += grid.columnWidth(c);
    for (size_t i = 0; i < list.columns.size(); ++i) {
        const double share = total > 0 ? double(grid.columnWidth(list.columns[i])) / total
                                       : 1.0 / double(list.columns.size());
        lefts[i + 1] = i + 1 == list.columns.size() ? pageWidth : lefts[i] + int(share * pageWidth);
    }
    const QPen gridPen(QColor(128, 128, 128), 0);
    const auto drawRow = [&](int y, const auto& textOf) {
        for (size_t i = 0; i < list.columns.size(); ++i) {
            const QRect cell(lefts[i], y, lefts[i + 1] - lefts[i], line);
            if (grid.gridLines()) {
                painter.setPen(gridPen);
                painter.drawRect(cell);
                painter.setPen(Qt::black);
            }
            const QRect inner = cell.adjusted(pad, 0, -pad, 0);
            painter.drawText(inner, int(alignment(grid.columnFormat(list.columns[i]))),
                             fm.elidedText(textOf(i), Qt::ElideRight, inner.width()));
        }
    };

    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !printer.newPage()) return 0;
        int y = 0;
        painter.drawText(QRect(0, y, pageWidth, line), Qt::AlignLeft | Qt::AlignVCenter,
                         fm.elidedText(list.heading, Qt::ElideRight, pageWidth));
        y += line * 3 / 2;
        painter.setFont(bold);
        drawRow(y, [&](size_t i) {
            return i < size_t(list.titles.size()) ? list.titles[qsizetype(i)] : QString();
        });
        painter.setFont(font);
        y += line;
        const int first = page * perPage;
        const int last = std::min(grid.rowCount(), first + perPage);
        for (int row = first; row < last; ++row, y += line)
            drawRow(y, [&](size_t i) { return cellText(grid, row, list.columns[i]); });
        const QString number = QStringLiteral("стр. %1 из %2").arg(page + 1).arg(pages);
        painter.drawText(QRect(0, printer.height() - line, pageWidth, line), Qt::AlignCenter,
                         number);
        if (progress && !progress(page + 1, pages)) return 0;
    }
    return painter.end() ? pages : 0;
}

} // namespace talsk
