// The results table's rows leaving the window: Ctrl+C and its menu entries,
// the saved list, the printed pages.

#include "gui/files/file_browser.h"
#include "gui/mainwindow/list_print.h"
#include "gui/mainwindow/results_table.h"
#include "gui/support/modal.h"
#include "gui/widgets/grid_rows.h"
#include "gui/widgets/grid_text.h"
#include "platform/cp1251.h"
#include "support/temp_dir.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

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

// A file name entered in the browser's save form and confirmed with Enter.
void chooseInBrowser(FileBrowser* browser, const QString& name) {
    auto* edit = browser->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->setText(name); // typed keys would bring up the completer's list
    QTest::keyClick(edit, Qt::Key_Return);
}

TEST_F(ResultsExportTest, SaveListAsksTheBrowserRemembersTheFolderAndNamesAFailure) {
    test::TempDir dir, reference;
    const QString folder = QString::fromStdString(dir.path());
    // What the list's own writer makes of the rows, by the name's extension.
    const auto saved = [&](const std::string& name) {
        EXPECT_TRUE(table.saveListTo(QString::fromStdString(reference.file(name))));
        return test::readBytes(reference.file(name));
    };
    QStringList messages;
    table.setMessageBox(
        [&](QMessageBox::Icon, const QString&, const QString& text, QMessageBox::StandardButtons) {
            messages.append(text);
            return QMessageBox::Ok;
        });

    // CSV first: a name without an extension gets ".csv".
    test::whenModal<FileBrowser>([&](FileBrowser* browser) {
        EXPECT_EQ(browser->windowTitle(), QStringLiteral("Сохранить список"));
        EXPECT_EQ(browser->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(browser->nameFilters(),
                  (QStringList{QStringLiteral("CSV (*.csv)"), QStringLiteral("Текст (*.txt)")}));
        EXPECT_EQ(browser->panel(), nullptr);
        browser->setDirectory(folder);
        chooseInBrowser(browser, QStringLiteral("список"));
    });
    table.saveList();
    EXPECT_EQ(test::readBytes(dir.file("список.csv")), saved("a.csv"));

    // The next time the browser opens where the list went; the text filter
    // gives ".txt" and the tab-separated form.
    test::whenModal<FileBrowser>([&](FileBrowser* browser) {
        EXPECT_EQ(QFileInfo(browser->directory().absolutePath()), QFileInfo(folder));
        auto* types = browser->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(types, nullptr);
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down);
        EXPECT_EQ(browser->selectedNameFilter(), QStringLiteral("Текст (*.txt)"));
        chooseInBrowser(browser, QStringLiteral("список"));
    });
    table.saveList();
    EXPECT_EQ(test::readBytes(dir.file("список.txt")), saved("a.txt"));
    EXPECT_TRUE(messages.isEmpty());

    // A folder gone before the save: the message says so.
    std::filesystem::create_directory(test::nativePath(dir.file("gone")));
    test::whenModal<FileBrowser>([&](FileBrowser* browser) {
        browser->setDirectory(QString::fromStdString(dir.file("gone")));
        std::filesystem::remove(test::nativePath(dir.file("gone")));
        chooseInBrowser(browser, "x");
    });
    table.saveList();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].endsWith(QStringLiteral(": папка не найдена")))
        << messages[0].toStdString();

    // Cancelled: nothing written, nothing said.
    test::whenModal<FileBrowser>([](FileBrowser* browser) { browser->reject(); });
    table.saveList();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"список.csv", "список.txt"}));
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

// The lines of one page of a PDF as pdftotext lays them out, trimmed.
QStringList pdfPageLines(const QString& tool, const QString& path, int page) {
    QProcess run;
    run.start(tool,
              {"-layout", "-f", QString::number(page), "-l", QString::number(page), path, "-"});
    EXPECT_TRUE(run.waitForFinished(30000));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(run.readAllStandardOutput()).split('\n'))
        if (!line.trimmed().isEmpty()) lines.append(line.trimmed());
    return lines;
}

TEST(ListPrintTest, EachPageOpensWithTheHeadingAndTheRowsGoOnWhereTheyStopped) {
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    test::TempDir dir;
    const QString path = QString::fromStdString(dir.file("list.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    const int perPage = printedRowsPerPage(printer);

    PhoneGridModel grid;
    grid.setColumnCount(2);
    grid.setColumnWidth(0, 80);
    grid.setColumnWidth(1, 200);
    std::vector<std::string> phones, names;
    for (int r = 0; r <= perPage; ++r) {
        phones.push_back(std::to_string(100000 + r));
        names.push_back(utf8ToCp1251("Иванов " + std::to_string(r)));
    }
    grid.setRowCount(perPage + 1);
    for (int r = 0; r <= perPage; ++r) {
        grid.setCell(r, 0, phones[size_t(r)].c_str());
        grid.setCell(r, 1, names[size_t(r)].c_str());
    }
    const QString heading = QStringLiteral("Поиск по полям: Иванов    01.02.2026");
    ASSERT_EQ(printListPages(printer, {&grid, {0, 1}, {"Телефон", "Фамилия"}, heading}), 2);

    // Page, its first row, its last row.
    const std::tuple<int, int, int> pages[] = {{1, 0, perPage - 1}, {2, perPage, perPage}};
    for (const auto& [page, first, last] : pages) {
        const QStringList lines = pdfPageLines(tool, path, page);
        ASSERT_EQ(lines.size(), last - first + 4) << page;      // heading, titles, rows, number
        EXPECT_EQ(lines[0].simplified(), heading.simplified()); // runs of blanks vary
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Телефон"))) << lines[1].toStdString();
        EXPECT_EQ(lines[2].simplified(),
                  QStringLiteral("%1 Иванов %2").arg(100000 + first).arg(first));
        EXPECT_EQ(lines[lines.size() - 2].simplified(),
                  QStringLiteral("%1 Иванов %2").arg(100000 + last).arg(last));
        EXPECT_EQ(lines.back(), QStringLiteral("стр. %1 из 2").arg(page));
    }
}

} // namespace
} // namespace talsk
