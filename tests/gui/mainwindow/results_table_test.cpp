// The results table over a real connected base file: what a search shows,
// what its keys do to the rows, and what deleting a record does to the file.

#include "base/base_file.h"
#include "base/base_set.h"
#include "base/table_builder.h"
#include "gui/mainwindow/results_table.h"
#include "gui/widgets/text.h"
#include "platform/cp1251.h"
#include "search/search_engine.h"

#include <QFile>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace talsk {
namespace {

// Phone and name of each record, per table.
const std::vector<std::pair<std::string, std::string>> kPeople = {
    {"101", "Иванов А."}, {"102", "Петров Б."},  {"103", "Сидоров В."},
    {"104", "Орлов Г."},  {"105", "Яковлев Д."},
};

void installRecords(PhoneBase& base, TableKind kind,
                    const std::vector<std::pair<std::string, std::string>>& records) {
    TableBuilder builder;
    for (const auto& [phone, name] : records) {
        RecordFields f;
        f.set(1, utf8ToCp1251(phone).c_str());
        f.set(2, utf8ToCp1251(name).c_str());
        f.set(3, utf8ToCp1251("Ленина").c_str());
        ASSERT_TRUE(builder.add(f));
    }
    ASSERT_TRUE(builder.install(base.table(kind), BaseDate{2024, 5, 1}));
}

class ResultsTableTest : public testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath("town.btn").toStdString();
        PhoneBase made;
        made.path = path;
        installRecords(made, TableKind::Population, kPeople);
        installRecords(made, TableKind::Organizations, {{"200", "Директор"}});
        installRecords(made, TableKind::CityCodes, {{"8412", "Пенза"}});
        ASSERT_TRUE(saveBase(made, kMaskAllTables));
        closeBase(made);
        set.bases.resize(1);
        set.bases[0].path = path;
        ASSERT_TRUE(openBase(set.bases[0], nullptr));
        recountTotals(set);

        table.setBaseSet(&set, nullptr, &settings);
        table.setMessageBox([this](QMessageBox::Icon icon, const QString& caption,
                                   const QString& text, QMessageBox::StandardButtons) {
            boxes.push_back({icon, caption, text});
            return answer;
        });
        table.resize(600, 300);
        table.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    }

    void showAll(TableMask mask) {
        found.tables = mask;
        found.fileMask.fill(1);
        fillAllRecords(set, found);
        table.showResults(found, mask, -1);
    }

    QString cell(int row, int column) const { return fromCp1251(table.model().cell(row, column)); }
    void click(int row, Qt::KeyboardModifiers modifiers = {}) {
        const int h = table.model().rowHeight();
        QTest::mouseClick(table.viewport(), Qt::LeftButton, modifiers, {10, row * h + h / 2});
    }
    // The phones of the population table as the file on disk holds them.
    std::vector<std::string> phonesOnDisk() const {
        PhoneBase again;
        again.path = path;
        std::vector<std::string> out;
        if (!openBase(again, nullptr)) return out;
        const BaseTable& t = again.table(TableKind::Population);
        for (int32_t i = 0; i < t.count; ++i)
            out.push_back(cp1251ToUtf8(fieldPointers(t, i)[1]));
        return out;
    }
    QByteArray fileBytes() const {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    struct Box {
        QMessageBox::Icon icon;
        QString caption, text;
    };
    QTemporaryDir dir;
    std::string path;
    ProgramSettings settings;
    BaseSet set;
    SearchState found; // what showAll lists
    ResultsTable table;
    std::vector<Box> boxes;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
};

TEST_F(ResultsTableTest, ShowsOneRowPerHitWithTheColumnsOfItsTables) {
    struct Case {
        TableMask mask;
        int rows;
        const char* phoneTitle;
        const char* nameTitle; // a mask of no single kind keeps the last one
        const char* firstPhone;
        bool organizationColumn; // without it, automatic widths give it nothing
    };
    const Case cases[] = {
        {kMaskPopulation, 5, "Телефон", "Фамилия", "101", false},
        {kMaskPopulationOrganizations, 6, "Телефон", "Фамилия / Должность", "101", true},
        {kMaskOrganizations, 1, "Телефон", "Должность", "200", true},
        {kMaskCityCodes, 1, "Код города", "Город", "8412", false},
        {0, 0, "Телефон", "Город", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        showAll(c.mask);
        ASSERT_EQ(table.rowCount(), c.rows);
        EXPECT_EQ(table.columnTitle(0), QString::fromUtf8(c.phoneTitle));
        EXPECT_EQ(table.columnTitle(1), QString::fromUtf8(c.nameTitle));
        EXPECT_EQ(cell(0, 0), QString::fromUtf8(c.firstPhone));
        EXPECT_EQ(table.model().columnWidth(3) > 0, c.organizationColumn);
    }
}

// However small its share of a narrow table, the first column shows its whole
// title and every number in it; the widest column gives the room.
TEST_F(ResultsTableTest, FirstColumnKeepsItsTitleAndNumbersWhole) {
    table.resize(300, 300);
    for (const TableMask mask : {kMaskPopulation, kMaskCityCodes}) {
        SCOPED_TRACE(mask);
        showAll(mask);
        const int width = table.model().columnWidth(0);
        EXPECT_EQ(table.header()->model()->headerData(0, Qt::Horizontal).toString(),
                  table.columnTitle(0));
        for (int row = 0; row < table.rowCount(); ++row)
            EXPECT_LE(table.fontMetrics().horizontalAdvance(cell(row, 0)) + 2, width);
        EXPECT_LE(table.model().totalWidth(), table.viewport()->width());
    }
}

// The first column's width comes from the longest phone of the rows, which
// the table reads off the index: right in both orders the files store
// fields in, and for phones wider than the column's title.
TEST_F(ResultsTableTest, FirstColumnFitsTheLongestPhoneInEitherFieldOrder) {
    table.resize(300, 300);
    std::vector<int> widths;
    for (const FieldOrder& order : {kFieldOrder20, kFieldOrder20b}) {
        SCOPED_TRACE(order[1]);
        BaseTable& t = set.bases[0].table(TableKind::Population);
        std::string pool;
        for (const char* phone : {"7", "1234567890", "55"}) {
            RecordFields f;
            f.set(1, phone);
            f.set(2, utf8ToCp1251("Орлов Г.").c_str());
            f.set(3, utf8ToCp1251("Ленина").c_str());
            f.set(4, "12");
            f.set(5, "3");
            for (const int k : order)
                pool.append(f.field(k)).push_back('\0');
        }
        ASSERT_TRUE(t.text.resize(pool.size() + 1));
        std::memcpy(t.text.data(), pool.c_str(), pool.size() + 1);
        t.textSize = static_cast<int32_t>(pool.size());
        t.count = 3;
        ASSERT_TRUE(t.index.resize(4 * sizeof(RecordIndexEntry)));
        ASSERT_TRUE(indexTable(t, order));
        recountTotals(set);
        showAll(kMaskPopulation);
        ASSERT_EQ(cell(1, 0), "1234567890");
        const int width = table.model().columnWidth(0);
        for (int row = 0; row < table.rowCount(); ++row)
            EXPECT_LE(table.fontMetrics().horizontalAdvance(cell(row, 0)) + 2, width);
        widths.push_back(width);
    }
    EXPECT_EQ(widths[0], widths[1]); // the same rows, however stored
}

TEST_F(ResultsTableTest, KeysActOnTheRowsOnly) {
    showAll(kMaskPopulation);
    QSignalSpy shown(&table, &ResultsTable::rowsShownChanged);
    click(1);
    click(3, Qt::ControlModifier);
    QTest::keyClick(&table, Qt::Key_Delete);
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(cell(1, 0), "103");
    EXPECT_EQ(shown.last().at(0).toInt(), 3);
    EXPECT_EQ(phonesOnDisk().size(), 5u); // the file keeps them

    QTest::keyClick(&table, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(table.model().selectedCount(), 3);
    QTest::keyClick(&table, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(table.model().selectedCount(), 0);
    QTest::keyClick(&table, Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(table.model().selectedCount(), 3);

    table.action(cmd::SortPhone)->trigger(); // another column first: name starts ascending
    table.action(cmd::SortName)->trigger();  // Иванов, Сидоров, Яковлев
    table.action(cmd::SortName)->trigger();
    EXPECT_EQ(cell(0, 1), "Яковлев Д.");
    QSignalSpy edit(&table, &ResultsTable::editRecordRequested);
    click(0);
    QTest::keyClick(&table, Qt::Key_Return);
    ASSERT_EQ(edit.count(), 1);
    EXPECT_EQ(edit.at(0).at(0).value<SearchHit>().record, 4);

    QSignalSpy cleared(&table, &ResultsTable::cleared);
    QSignalSpy minimize(&table, &ResultsTable::minimizeRequested);
    QTest::keyClick(&table, Qt::Key_Escape);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_EQ(minimize.count(), 0);
    QTest::keyClick(&table, Qt::Key_Escape);
    EXPECT_EQ(minimize.count(), 1);
}

TEST_F(ResultsTableTest, DeleteFromFileRemovesTheRecordAndKeepsTheOtherRowsRight) {
    showAll(kMaskPopulation);
    table.sortByColumn(1);
    table.sortByColumn(0); // 101 .. 105
    table.sortByColumn(0); // 105 .. 101
    click(3);              // 102, record 1
    QTest::keyClick(&table, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Question);
    EXPECT_EQ(boxes[0].caption, "Подтверждение");
    EXPECT_EQ(boxes[0].text, "Удалить запись под номером 1, номер телефона 102\nиз файла " +
                                 QString::fromStdString(path));
    const std::vector<std::string> onDisk = phonesOnDisk();
    EXPECT_EQ(onDisk, (std::vector<std::string>{"101", "103", "104", "105"}));
    ASSERT_EQ(table.rowCount(), 4);
    for (int row = 0; row < 4; ++row) // each row's hit names the record it shows
        EXPECT_EQ(cell(row, 0).toStdString(),
                  onDisk.at(static_cast<size_t>(table.hitAt(row).record)));
    EXPECT_EQ(cell(3, 0), "101");
    EXPECT_EQ(table.model().currentRow(), 3);
}

TEST_F(ResultsTableTest, DeleteFromFileRefusals) {
    showAll(kMaskPopulation);
    click(0);
    click(1, Qt::ControlModifier);
    QTest::keyClick(&table, Qt::Key_Delete, Qt::ControlModifier);
    click(2);
    answer = QMessageBox::No;
    QTest::keyClick(&table, Qt::Key_Delete, Qt::ControlModifier);
    answer = QMessageBox::Yes;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Выделите только одну строку");
    EXPECT_EQ(phonesOnDisk().size(), 5u);

    // A table that did not load makes the save fail: the file stays as it was.
    const QByteArray before = fileBytes();
    BaseTable& codes = set.bases[0].table(TableKind::CityCodes);
    codes.release();
    codes.textSize = 40;
    QTest::keyClick(&table, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[3].text,
              "Ошибка при сохранении базы, данные не были сохранены\n перезапустите программу");
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(table.rowCount(), 5);
    EXPECT_EQ(cell(3, 0), "104"); // its hit moved down with the record
}

} // namespace
} // namespace talsk
