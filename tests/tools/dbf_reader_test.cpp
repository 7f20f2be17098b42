// The dBASE header checks and the OEM text conversion.

#include "platform/cp1251.h"
#include "support/temp_dir.h"
#include "tools/dbf_reader.h"
#include "tools/dbf_writer.h"
#include "tools/oem_table.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

std::vector<unsigned char> tableBytes(int columns, uint32_t records) {
    std::vector<DbfWriterColumn> cols;
    for (int c = 0; c < columns; ++c)
        cols.push_back({"C" + std::to_string(c), static_cast<uint8_t>(1 + c % 3)});
    DbfWriter w(cols, records, BaseDate{2002, 3, 5});
    for (uint32_t r = 0; r < records; ++r)
        w.addRecord({"x"});
    const std::string& b = w.bytes();
    return {b.begin(), b.end()};
}

DbfStatus parse(const std::vector<unsigned char>& bytes, DbfTable& table) {
    return parseDbfHeader(bytes.data(), bytes.size(), int64_t(bytes.size()), table);
}

TEST(DbfReader, ReadsDateColumnsAndOffsetsFromAFile) {
    TempDir dir;
    DbfWriter w({{utf8ToCp1251("ТЕЛЕФОН"), 10}, {"fio", 40}, {"dom", 5}}, 1, BaseDate{2002, 3, 5});
    w.addRecord({"123"});
    ASSERT_TRUE(writeDbfFile(dir.file("t.dbf"), w));
    DbfTable t;
    ASSERT_EQ(readDbfHeader(dir.file("t.dbf"), t), DbfStatus::Ok);
    EXPECT_EQ(t.recordCount, 1u);
    EXPECT_EQ(t.recordLength, 56);
    EXPECT_EQ(t.date(), (BaseDate{2002, 3, 5}));
    ASSERT_EQ(t.columnCount, 3);
    EXPECT_EQ(cp1251ToUtf8(t.columns[0].name), "ТЕЛЕФОН");
    EXPECT_EQ(t.columns[1].name, "fio");
    EXPECT_EQ(t.columns[1].start, 10);
    EXPECT_EQ(t.columns[2].start, 50);
    EXPECT_EQ(t.columns[2].length, 5);
    EXPECT_EQ(t.columns[2].type, 'C');

    EXPECT_EQ(readDbfHeader(dir.file("missing.dbf"), t), DbfStatus::CannotOpen);
}

TEST(DbfReader, LengthRuleAllowsOneOrTwoTrailingBytesOnly) {
    std::vector<unsigned char> exact = tableBytes(3, 4);
    exact.pop_back(); // the writer's end-of-file byte
    const struct {
        int extra;
        DbfStatus status;
    } cases[] = {{-1, DbfStatus::Damaged},
                 {0, DbfStatus::Ok},
                 {1, DbfStatus::Ok},
                 {2, DbfStatus::Ok},
                 {3, DbfStatus::Damaged}};
    for (const auto& c : cases) {
        std::vector<unsigned char> bytes = exact;
        bytes.resize(size_t(int64_t(bytes.size()) + c.extra), 0x1A);
        DbfTable t;
        EXPECT_EQ(parse(bytes, t), c.status) << "extra " << c.extra;
    }
}

TEST(DbfReader, ThirtyTwoColumnsPassThirtyThreeAreTooMany) {
    DbfTable t;
    EXPECT_EQ(parse(tableBytes(32, 2), t), DbfStatus::Ok);
    EXPECT_EQ(t.columnCount, 32);
    EXPECT_EQ(parse(tableBytes(33, 2), t), DbfStatus::TooManyColumns);
}

TEST(DbfReader, RefusesHeadersThatDoNotDescribeTheFile) {
    const std::vector<unsigned char> good = tableBytes(3, 4);
    auto patched = [&](size_t at, std::initializer_list<unsigned char> v) {
        std::vector<unsigned char> b = good;
        std::copy(v.begin(), v.end(), b.begin() + long(at));
        return b;
    };
    const std::vector<std::vector<unsigned char>> damaged = {
        patched(8, {0x84, 0x00}), // header length three more than written
        patched(8, {0x60, 0x00}), // header length one descriptor short
        patched(4, {0x05}),       // one record more than the file holds
        patched(112, {9}),        // the last column's cells reach past the record
        patched(4, {0, 0, 0, 0x80}),
        std::vector<unsigned char>(good.begin(), good.begin() + 20), // cut inside the prefix
        {},
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        DbfTable t;
        EXPECT_EQ(parse(damaged[i], t), DbfStatus::Damaged) << "case " << i;
        EXPECT_EQ(t.columnCount, 0);
    }
    // Records of length 0 would let any count pass the length rule.
    std::vector<unsigned char> empty = tableBytes(3, 0);
    const unsigned char zeroLength[] = {0x40, 0x42, 0x0F, 0x00, 0x81, 0x00, 0x00, 0x00};
    std::copy(std::begin(zeroLength), std::end(zeroLength), empty.begin() + 4);
    DbfTable t;
    EXPECT_EQ(parse(empty, t), DbfStatus::Damaged);
}

TEST(OemTable, LettersOfBothCasesAndYoConvertBothWays) {
    std::string oem;
    for (int c = 0x80; c <= 0xAF; ++c)
        oem += static_cast<char>(c);
    for (int c = 0xE0; c <= 0xF1; ++c)
        oem += static_cast<char>(c);
    const std::string ansi = utf8ToCp1251("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
                                          "абвгдежзийклмнопрстуфхцчшщъыьэюяЁё");
    std::string converted = oem;
    oemToAnsi(converted.data(), converted.size());
    EXPECT_EQ(converted, ansi);
    ansiToOem(converted.data(), converted.size());
    EXPECT_EQ(converted, oem);

    // Lines and blocks become plain signs; ASCII stays as it is.
    const CharTable& t = oemToAnsiTable();
    for (int c = 0xB0; c <= 0xDF; ++c)
        EXPECT_NE(std::string("#|+-=").find(static_cast<char>(t[size_t(c)])), std::string::npos)
            << c;
    for (int c = 0; c < 128; ++c)
        EXPECT_EQ(t[size_t(c)], c);
    EXPECT_EQ(cp1251ToUtf8(std::string(1, static_cast<char>(t[0xFC]))), "№");
}

} // namespace
} // namespace talsk::test
