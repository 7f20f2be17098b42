// The base file samples of every version: each reads as its expected records
// and header, talsk-cli shows the same records, and the writers of versions
// 2.0 and 1.2 reproduce their samples byte for byte.

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/file_info.h"
#include "base/legacy_10.h"
#include "base/legacy_12.h"
#include "base/load_status.h"
#include "base/table_builder.h"
#include "formats/generated_samples.h"
#include "formats/sample_files.h"
#include "platform/cp1251.h"
#include "platform/memory_file.h"
#include "support/cli_runner.h"
#include "support/legacy_images.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

struct BaseSample {
    const char* name;
    uint16_t version;
    const char* typedKey; // UTF-8; empty for none
    BaseDate created[kTableCount];
    BaseDate updated[kTableCount];
};

constexpr BaseDate C = kSampleCreated;
constexpr BaseDate U = kSampleUpdated;
constexpr BaseDate None{};

const BaseSample kSamples[] = {
    {"base20.btn", kVersion20, "", {C, C, C}, {U, U, U}},
    {"base20-keyed.btn", kVersion20, kKeyOf20Sample, {C, C, C}, {U, U, U}},
    {"base20b.btn",
     kVersion20b,
     "",
     {{2001, 2, 3}, {2001, 2, 4}, {2001, 2, 5}},
     {{2002, 12, 30}, {2002, 12, 29}, {2002, 12, 28}}},
    {"base12.btn", kVersion12, "", {C, C, None}, {U, U, None}},
    {"base12-keyed.btn", kVersion12, kKeyOf12Sample, {C, C, None}, {U, U, None}},
    {"base10.btn",
     kVersion10a,
     "",
     {{1998, 3, 4}, {1998, 5, 6}, None},
     {{1999, 7, 8}, {1999, 9, 10}, None}},
};

void PrintTo(const BaseSample& s, std::ostream* os) {
    *os << s.name;
}

std::string stem(const char* name) {
    const std::string s = name;
    return s.substr(0, s.rfind('.'));
}

std::string testName(const ::testing::TestParamInfo<BaseSample>& info) {
    std::string n = stem(info.param.name);
    for (char& c : n)
        if (c == '-') c = '_';
    return n;
}

RecordTexts textsOf(const RecordFields& f) {
    RecordTexts r;
    for (int k = 1; k <= kFieldCount; ++k)
        r[static_cast<size_t>(k - 1)] = f.field(k);
    return r;
}

// The records as the program reads them: versions 1.0 and 1.2 in the
// seven-field form the converter gives them.
BaseContent readRecords(const BaseSample& s) {
    const std::vector<unsigned char> bytes = sampleBytes(s.name);
    const std::string typed = utf8ToCp1251(s.typedKey);
    BaseContent content;
    RecordFields fields;
    LegacyRecord record;
    if (s.version == kVersion12) {
        MemoryFile file(bytes);
        PhoneBase base;
        EXPECT_TRUE(readLegacy12(file, typed, base)) << "status " << base.status;
        for (int k = 0; k < kLegacy12TableCount; ++k)
            for (int32_t i = 0; i < base.tables[static_cast<size_t>(k)].count; ++i) {
                legacy12Record(base.tables[static_cast<size_t>(k)], TableKind(k), i, record);
                legacyToFields(record, TableKind(k), fields);
                content.tables[k].push_back(textsOf(fields));
            }
    } else if (s.version == kVersion10a) {
        MemoryFile file(bytes);
        Legacy10Body body;
        int32_t status = 0;
        EXPECT_TRUE(readLegacy10Body(file, typed, body, status)) << "status " << status;
        EXPECT_TRUE(walkLegacy10Body(body, [&](TableKind kind, const LegacyRecord& r) {
            legacyToFields(r, kind, fields);
            content.tables[static_cast<int>(kind)].push_back(textsOf(fields));
        }));
    } else {
        PhoneBase base;
        loadFromBytes(base, bytes, deriveFileKey(typed), true);
        EXPECT_TRUE(base.connected);
        EXPECT_EQ(base.status, s.version == kVersion20 ? StatusConnected : StatusVersionMismatch);
        content = contentOf(base);
    }
    return content;
}

class BaseSamples : public ::testing::TestWithParam<BaseSample> {};

TEST_P(BaseSamples, ReadAsTheirExpectedRecordsAndHeader) {
    const BaseSample& s = GetParam();
    const BaseContent expected = expectedRecords(stem(s.name));
    const BaseContent read = readRecords(s);
    PhoneBase info;
    EXPECT_TRUE(readFileInfo(samplePath(s.name), info)) << "status " << info.status;
    EXPECT_EQ(info.version, s.version);
    EXPECT_EQ(info.keyed, s.typedKey[0] != '\0');
    for (int k = 0; k < kTableCount; ++k) {
        SCOPED_TRACE(testing::Message() << "table " << k);
        EXPECT_EQ(read.tables[k], expected.tables[k]);
        EXPECT_EQ(info.tables[static_cast<size_t>(k)].count,
                  static_cast<int32_t>(expected.tables[k].size()));
        EXPECT_EQ(info.tables[static_cast<size_t>(k)].created, s.created[k]);
        EXPECT_EQ(info.tables[static_cast<size_t>(k)].updated, s.updated[k]);
    }
}

TEST_P(BaseSamples, TalskCliExportsTheExpectedLines) {
    const BaseSample& s = GetParam();
    TempDir dir;
    std::string file = samplePath(s.name);
    std::vector<std::string> args = {"export"};
    if (s.version == kVersion20b || s.version == kVersion10a) {
        // Versions the program only reads are shown after conversion.
        const std::string converted = dir.file("converted.btn");
        CliResult c = runCli({"convert", file, converted, "--to", "2.0"});
        ASSERT_EQ(c.status, 0) << c.err;
        file = converted;
    }
    if (s.version == kVersion12) args.insert(args.end(), {"--version", "1.2"});
    if (s.typedKey[0] != '\0') args.insert(args.end(), {"--key", s.typedKey});
    args.push_back(file);
    CliResult out = runCli(args);
    EXPECT_EQ(out.status, 0) << out.err;
    const std::vector<unsigned char> tsv = sampleBytes(stem(s.name) + ".expected.tsv");
    EXPECT_EQ(out.out, std::string(tsv.begin(), tsv.end()));
}

INSTANTIATE_TEST_SUITE_P(Samples, BaseSamples, ::testing::ValuesIn(kSamples), testName);

// Tables filled on the creation date and last edited on the update date,
// as the program stamps them.
std::vector<unsigned char> write20(const BaseContent& content, const std::string& typedKey) {
    TempDir dir;
    PhoneBase base;
    base.path = dir.file("sample.btn");
    base.key = deriveFileKey(typedKey);
    base.keyed = base.key.empty() ? 0 : 1;
    {
        FixedDate filled(kSampleCreated);
        for (int k = 0; k < kTableCount; ++k) {
            TableBuilder builder;
            for (const RecordTexts& r : content.tables[k])
                EXPECT_TRUE(builder.add(toFields(r)));
            EXPECT_TRUE(builder.install(base.tables[static_cast<size_t>(k)], todayBaseDate()));
        }
    }
    {
        FixedDate edited(kSampleUpdated);
        for (BaseTable& t : base.tables)
            stampTableDates(t, false);
    }
    EXPECT_TRUE(saveBase(base, kMaskAllTables));
    closeBase(base);
    return readBytes(dir.file("sample.btn"));
}

// As talsk-cli import --version 1.2 writes the records.
std::vector<unsigned char> write12(const BaseContent& content, const std::string& typedKey) {
    EXPECT_TRUE(content.tables[2].empty()) << "version 1.2 holds no city codes";
    Legacy12Table tables[kLegacy12TableCount];
    LegacyRecord record;
    for (int k = 0; k < kLegacy12TableCount; ++k) {
        for (const RecordTexts& r : content.tables[k]) {
            fieldsToLegacy12(toFields(r), TableKind(k), record);
            EXPECT_TRUE(packLegacy12(record, TableKind(k), tables[k].text));
            ++tables[k].count;
        }
        {
            FixedDate filled(kSampleCreated);
            tables[k].created = todayBaseDate();
        }
        FixedDate edited(kSampleUpdated);
        tables[k].updated = todayBaseDate();
    }
    std::vector<unsigned char> image;
    EXPECT_TRUE(buildLegacy12Image(tables, !typedKey.empty(), typedKey, image));
    return image;
}

class WrittenBaseSamples : public BaseSamples {};

TEST_P(WrittenBaseSamples, WriterReproducesTheSample) {
    const BaseSample& s = GetParam();
    const BaseContent content = expectedRecords(stem(s.name));
    const std::string typed = utf8ToCp1251(s.typedKey);
    expectSampleBytes(s.name,
                      s.version == kVersion20 ? write20(content, typed) : write12(content, typed));
}

INSTANTIATE_TEST_SUITE_P(Samples, WrittenBaseSamples,
                         ::testing::Values(kSamples[0], kSamples[1], kSamples[3], kSamples[4]),
                         testName);

// The versions the program only reads come from generators, which must
// still make the committed bytes.
TEST(ReadOnlyBaseSamples, ComeFromTheirGenerators) {
    expectSampleBytes("base20b.btn", image20b(expectedRecords("base20b"), ""));
    expectSampleBytes("base10.btn", makeSample10());
}

} // namespace
} // namespace talsk::test
