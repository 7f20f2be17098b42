// Building records from dBASE cells, and whole imports into base files.

#include "base/cipher.h"
#include "platform/cp1251.h"
#include "support/base_fixtures.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"
#include "tools/dbf_import.h"
#include "tools/dbf_writer.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

std::string cp(const char* utf8) {
    return utf8ToCp1251(utf8);
}

// A table of text columns with the given rows (cells in UTF-8).
struct Sample {
    std::string bytes;
    DbfTable table;

    Sample(std::vector<DbfWriterColumn> columns,
           const std::vector<std::vector<std::string>>& rows) {
        DbfWriter w(std::move(columns), static_cast<uint32_t>(rows.size()), BaseDate{2001, 2, 3});
        for (const auto& row : rows) {
            std::vector<std::string> cells;
            for (const std::string& c : row)
                cells.push_back(cp(c.c_str()));
            w.addRecord(std::vector<std::string_view>(cells.begin(), cells.end()));
        }
        bytes = w.bytes();
        EXPECT_EQ(parseDbfHeader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                 int64_t(bytes.size()), table),
                  DbfStatus::Ok);
    }
    const char* record(int i) const {
        return bytes.data() + table.headerLength + size_t(i) * table.recordLength;
    }
};

// Field k of every record as UTF-8.
std::vector<std::string> built(const Sample& s, TableKind kind, const DbfTableJob& job, int k) {
    DbfRecordBuilder builder(kind, s.table, job);
    std::vector<std::string> out;
    RecordFields fields;
    for (uint32_t i = 0; i < s.table.recordCount; ++i) {
        builder.build(s.record(int(i)), fields);
        out.push_back(cp1251ToUtf8(fields.field(k)));
    }
    return out;
}

TEST(DbfRecordBuilder, CellsLoseSpaceRunsAndAreCutToTheirField) {
    Sample s({{"A", 14}, {"B", 30}},
             {{"   12", "Иванов    И.И. "}, {"12345678901234", " Пётр  "}, {"", ""}});
    DbfTableJob job;
    job.fields[0].column[0] = 0;
    job.fields[1].column[0] = 1;
    EXPECT_EQ(built(s, TableKind::Population, job, 1),
              (std::vector<std::string>{"12", "1234567890", ""}));
    EXPECT_EQ(built(s, TableKind::Population, job, 2),
              (std::vector<std::string>{"Иванов И.И.", "Пётр", ""}));
}

// A separator takes room only when it goes in: a second cell into an empty
// field keeps its whole length.
TEST(DbfRecordBuilder, JoinsColumnsWithSeparatorsWithinTheFieldLimit) {
    Sample s({{"A", 10}, {"B", 10}, {"C", 10}}, {{"34", "5678", "9"},
                                                 {"34", "", "9"},
                                                 {"", "5678", ""},
                                                 {"1234567", "5678", "0"},
                                                 {"123456789", "5", "6"},
                                                 {"", "1234567890", "1"}});
    DbfTableJob job;
    job.join = true;
    job.fields[0].column = {0, 1, 2};
    job.fields[0].separator = {"-", "/"};
    EXPECT_EQ(built(s, TableKind::Organizations, job, 1),
              (std::vector<std::string>{"34-5678/9", "34/9", "5678", "1234567-56", "123456789",
                                        "1234567890"}));

    // Without the join only the primary column counts; a field that cannot
    // be joined never takes further columns.
    job.join = false;
    EXPECT_EQ(built(s, TableKind::Organizations, job, 1)[0], "34");
    job.join = true;
    job.fields[3].column = {0, 1, 2};
    EXPECT_EQ(built(s, TableKind::Organizations, job, 4)[0], "34");
}

TEST(DbfRecordBuilder, SkipListDropsWholeCellsInAnyLetterCase) {
    Sample s({{"A", 20}}, {{"НЕТ"}, {"нЕт"}, {"-"}, {"нет данных"}, {"--"}, {"Ёлка"}});
    DbfTableJob job;
    job.fields[1].column[0] = 0;
    job.skipText = cp(";;нет;;-;ёЛКА;");
    EXPECT_EQ(built(s, TableKind::Population, job, 2),
              (std::vector<std::string>{"", "", "", "нет данных", "--", ""}));
}

TEST(DbfRecordBuilder, FieldsATableDoesNotHoldStayEmpty) {
    Sample s({{"A", 5}}, {{"x"}});
    DbfTableJob job;
    for (auto& f : job.fields)
        f.column[0] = 0;
    for (int k = 1; k <= kFieldCount; ++k) {
        EXPECT_EQ(built(s, TableKind::Population, job, k)[0], k == 6 ? "" : "x") << k;
        EXPECT_EQ(built(s, TableKind::CityCodes, job, k)[0], k >= 4 && k <= 6 ? "" : "x") << k;
    }
    job.fields[0].column[0] = 7; // past the table's columns
    EXPECT_EQ(built(s, TableKind::CityCodes, job, 1)[0], "");
}

TEST(DbfSkipList, SplitsAtSemicolonsIntoSixteenEntriesAtMost) {
    EXPECT_EQ(parseSkipList(";;a;;b c;"), (std::vector<std::string>{"a", "b c"}));
    EXPECT_TRUE(parseSkipList(";;;").empty());
    EXPECT_EQ(parseSkipList("1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18").size(), 16u);
}

class DbfImport : public ::testing::Test {
protected:
    TempDir dir;

    // Population rows: phone, name, comment, street, house, unit.
    std::string population(int rows) {
        DbfWriter w({{"TEL", 10}, {"FIO", 30}, {"PRIM", 20}, {"UL", 20}, {"DOM", 5}, {"KV", 4}},
                    uint32_t(rows), BaseDate{2003, 4, 5});
        for (int i = 0; i < rows; ++i) {
            const std::string phone = std::to_string(100000 + i);
            const std::string name = cp("Петров П.П.");
            w.addRecord({phone, name, "", cp("Мира"), "7", "12"});
        }
        EXPECT_TRUE(writeDbfFile(dir.file("nasel.dbf"), w));
        return dir.file("nasel.dbf");
    }
    DbfImportJob job(const std::string& source) {
        DbfImportJob j;
        j.tables[0].path = source;
        setDefaultDbfMapping(TableKind::Population, j.tables[0]);
        j.destination = dir.file("new.btn");
        return j;
    }
    void existingDestination() { writeBytes(dir.file("new.btn"), {'o', 'l', 'd'}); }
};

TEST_F(DbfImport, WritesAKeyedBaseWithTheFilesDateAndReportsProgress) {
    DbfImportJob j = job(population(300));
    j.keyed = true;
    j.typedKey = cp("ключ");
    std::vector<int64_t> seen;
    const DbfImportResult r = importDbf(j, [&](int64_t done, int64_t total) {
        EXPECT_EQ(total, 300);
        seen.push_back(done);
    });
    ASSERT_EQ(r.outcome, DbfImportOutcome::Done);
    EXPECT_EQ(seen.size(), 150u); // every second record
    EXPECT_EQ(seen.front(), 1);

    PhoneBase base;
    loadFromBytes(base, readBytes(dir.file("new.btn")), deriveFileKey(cp("ключ")));
    ASSERT_EQ(base.connected, 1);
    EXPECT_EQ(base.keyed, 1);
    const BaseTable& t = base.tables[0];
    ASSERT_EQ(t.count, 300);
    EXPECT_EQ(t.created, (BaseDate{2003, 4, 5}));
    EXPECT_EQ(t.updated, (BaseDate{2003, 4, 5}));
    const FieldPointers f = fieldPointers(t, 299);
    EXPECT_STREQ(f[1], "100299");
    EXPECT_EQ(cp1251ToUtf8(f[2]), "Петров П.П.");
    EXPECT_EQ(cp1251ToUtf8(f[3]), "Мира");
    EXPECT_STREQ(f[4], "7");
    EXPECT_STREQ(f[5], "12");
    EXPECT_EQ(base.tables[1].count + base.tables[2].count, 0);
    closeBase(base);
}

TEST_F(DbfImport, TablesWithoutFileOrPrimaryColumnAreLeftOut) {
    DbfImportJob j = job(population(3));
    for (auto& f : j.tables[0].fields)
        f.column[0] = kDbfNoColumn;
    j.tables[0].fields[5].column[0] = 0; // no organization field in a population table
    EXPECT_EQ(importDbf(j).outcome, DbfImportOutcome::NoTable);
    j = job(population(3));
    j.keyed = true;
    EXPECT_EQ(importDbf(j).outcome, DbfImportOutcome::KeyMissing);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"nasel.dbf"}));
}

TEST_F(DbfImport, FailedOrCancelledRunLeavesTheDestinationAsItWas) {
    const std::string source = population(1000);
    std::atomic<bool> stop{false};
    // Cancelled halfway: no new file.
    DbfImportResult r = importDbf(
        job(source), [&](int64_t done, int64_t) { stop = done > 500; }, &stop);
    EXPECT_EQ(r.outcome, DbfImportOutcome::Cancelled);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"nasel.dbf"}));

    // Cancelled, failed to write, or fed a damaged table: the old file stays.
    existingDestination();
    stop = false;
    r = importDbf(
        job(source), [&](int64_t done, int64_t) { stop = done > 500; }, &stop);
    EXPECT_EQ(r.outcome, DbfImportOutcome::Cancelled);
    {
        FaultFileSystem faults;
        faults.failTempWritesAfter = 100;
        ScopedFileSystem scoped(faults);
        EXPECT_EQ(importDbf(job(source)).outcome, DbfImportOutcome::SaveFailed);
    }
    std::vector<unsigned char> cut = readBytes(source);
    cut.resize(cut.size() - 40);
    writeBytes(source, cut);
    r = importDbf(job(source));
    EXPECT_EQ(r.outcome, DbfImportOutcome::Damaged);
    EXPECT_EQ(r.status, DbfStatus::Damaged);
    EXPECT_EQ(readBytes(dir.file("new.btn")), (std::vector<unsigned char>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"nasel.dbf", "new.btn"}));
}

} // namespace
} // namespace talsk::test
