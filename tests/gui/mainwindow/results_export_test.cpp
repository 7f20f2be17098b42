// The results table's rows leaving the window: Ctrl+C and its menu entries,
// the saved list, the printed pages.

#include "gui/mainwindow/list_print.h"
#include "gui/mainwindow/results_table.h"
#include "gui/widgets/grid_rows.h"
#include "gui/widgets/grid_text.h"
#include "support/temp_dir.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPrinter>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace talsk {
namespace {

const test::GridRows kRows = {
    {"22-33-44", "Иванов; И.И.", "Ленина|5|12", "", "\"срочно\""},
    {"11-00-01", "Петров", "Мира||", "", "две\nстроки"},
    {"09", "Справочная", "Садовая|1|", "", ""},
};

class ResultsExportTest : public testing::Test {
protected:
    void SetUp() override {
        table.setKindColumns(kMaskPopulation);
        table.setAutoWidth(false);
        for (int c = 0; c < ResultsTable::kColumns; ++c) // no organization column
            table.setColumnWidth(c, c == 3 ? 0 : 100, c == ResultsTable::kColumns - 1);
        table.resize(600, 300);
        table.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
        kRows.fill(table);
        table.setFocus();
        QGuiApplication::clipboard()->clear();
    }

    QString clipboard() const { return QGuiApplication::clipboard()->text(); }

    ResultsTable table;
};

TEST_F(ResultsExportTest, CopyKeysAndEntriesPutTheRowsOnTheClipboard) {
    const QString second = QStringLiteral("11-00-01\tПетров\tМира\tдве строки\n");
    table.select(1, 0, true);
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), second);

    QGuiApplication::clipboard()->clear();
    table.select(2, PhoneGridModel::kShift, true);
    QTest::keyClick(&table, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), second + QStringLiteral("09\tСправочная\tСадовая  1\t\n"));
    EXPECT_EQ(clipboard().toStdString(), copiedRowsText(table.model()));

    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(clipboard(), QStringLiteral("09"));

    QGuiApplication::clipboard()->clear();
    table.action(cmd::CopyRows)->trigger();
    EXPECT_FALSE(clipboard().isEmpty());
    EXPECT_TRUE(table.contextMenu()->actions().contains(table.action(cmd::CopyRows)));
    EXPECT_TRUE(table.contextMenu()->actions().contains(table.action(cmd::SaveList)));
}

TEST_F(ResultsExportTest, SavedListHasTitlesAndEveryRowInGridOrder) {
    test::TempDir dir;
    table.sortByColumn(0);
    const QString csv = QString::fromStdString(dir.file("list.CSV"));
    ASSERT_TRUE(table.saveListTo(csv));
    const std::vector<unsigned char> bytes = test::readBytes(csv.toStdString());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "\xEF\xBB\xBF"
              "Телефон;Фамилия;Адрес;Комментарий\r\n"
              "09;Справочная;Садовая  1;\r\n"
              "11-00-01;Петров;Мира;\"две\nстроки\"\r\n"
              "22-33-44;\"Иванов; И.И.\";Ленина  5 - 12;\"\"\"срочно\"\"\"\r\n");

    const QString text = QString::fromStdString(dir.file("list.txt"));
    ASSERT_TRUE(table.saveListTo(text));
    const std::vector<unsigned char> plain = test::readBytes(text.toStdString());
    EXPECT_EQ(std::string(plain.begin(), plain.end()),
              "Телефон\tФамилия\tАдрес\tКомментарий\n"
              "09\tСправочная\tСадовая  1\t\n"
              "11-00-01\tПетров\tМира\tдве строки\n"
              "22-33-44\tИванов; И.И.\tЛенина  5 - 12\t\"срочно\"\n");

    WriteError cause = WriteError::None;
    EXPECT_FALSE(table.saveListTo(QString::fromStdString(dir.file("no/list.csv")), &cause));
    EXPECT_EQ(cause, WriteError::NoFolder);
}

// "/Type /Page" objects of a PDF, not the "/Type /Pages" tree.
int pdfPages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray pdf = file.readAll();
    int pages = 0;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0;
         at = pdf.indexOf("/Type /Page", at + 1))
        if (at + 11 >= pdf.size() || pdf[at + 11] != 's') ++pages;
    return pages;
}

TEST(ListPrintTest, PagesOfAKnownListInAPdf) {
    test::TempDir dir;
    QPrinter probe(QPrinter::HighResolution);
    probe.setPageSize(QPageSize(QPageSize::A4));
    probe.setOutputFormat(QPrinter::PdfFormat);
    probe.setOutputFileName(QString::fromStdString(dir.file("probe.pdf")));
    const int perPage = printedRowsPerPage(probe);
    ASSERT_GT(perPage, 20); // an A4 page holds a few dozen rows

    std::vector<std::string> phones;
    for (const int rows : {0, 3, perPage, 2 * perPage + 1}) {
        PhoneGridModel grid;
        grid.setColumnCount(5);
        for (int c = 0; c < 5; ++c)
            grid.setColumnWidth(c, 50 + 10 * c);
        grid.setRowCount(rows);
        phones.assign(size_t(rows), "22-33-44");
        for (int r = 0; r < rows; ++r)
            grid.setCell(r, 0, phones[size_t(r)].c_str());

        const QString path =
            QString::fromStdString(dir.file("list" + std::to_string(rows) + ".pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        PrintedList list{&grid,
                         shownColumns(grid),
                         {"Телефон", "Фамилия", "Адрес", "Организация", "Комментарий"},
                         "Все записи 01.02.2026"};
        std::vector<std::pair<int, int>> reported;
        const int pages = printListPages(printer, list, [&](int done, int all) {
            reported.emplace_back(done, all);
            return true;
        });
        const int expected = rows <= perPage ? 1 : 3;
        EXPECT_EQ(pages, expected) << rows;
        EXPECT_EQ(printedPageCount(rows, perPage), expected) << rows;
        EXPECT_EQ(pdfPages(path), expected) << rows;
        ASSERT_FALSE(reported.empty());
        EXPECT_EQ(reported.back(), std::make_pair(expected, expected)) << rows;
    }

    // Stopped after the first page: nothing counts as printed.
    PhoneGridModel grid;
    grid.setColumnCount(1);
    grid.setColumnWidth(0, 10);
    grid.setRowCount(3 * perPage);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.file("stopped.pdf")));
    int calls = 0;
    EXPECT_EQ(printListPages(printer, {&grid, {0}, {"Телефон"}, ""},
                             [&](int, int) {
                                 ++calls;
                                 return false;
                             }),
              0);
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace talsk
