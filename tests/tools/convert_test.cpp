// The version conversions, run on files in a temporary folder.

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/legacy_12.h"
#include "base/legacy_records.h"
#include "base/legacy_scramble.h"
#include "base/load_status.h"
#include "platform/cp1251.h"
#include "platform/memory_file.h"
#include "support/base_fixtures.h"
#include "support/fault_file_system.h"
#include "support/legacy_images.h"
#include "support/temp_dir.h"
#include "tools/convert.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace talsk::test {
namespace {

class Convert : public ::testing::Test {
protected:
    TempDir dir;
    RecordGenerator gen{51};

    std::string write(const std::string& name, const std::vector<unsigned char>& bytes) {
        writeBytes(dir.file(name), bytes);
        return dir.file(name);
    }

    // A version 2.0 file of the content, keyed with the file key of `typed`.
    std::string save20(const std::string& name, const BaseContent& content,
                       const std::string& typed) {
        PhoneBase base;
        base.path = dir.file(name);
        fillBase(base, content, typed.empty() ? std::string() : deriveFileKey(typed));
        EXPECT_TRUE(saveBase(base, kMaskAllTables));
        closeBase(base);
        return dir.file(name);
    }

    // Connects a version 2.0 file as loading does.
    void load20(const std::string& path, const std::string& fileKey, PhoneBase& base) {
        base.path = path;
        ASSERT_TRUE(readHeader(base)) << base.status;
        base.key = fileKey;
        ASSERT_TRUE(loadTables(base, kMaskAllTables)) << base.status;
        EXPECT_EQ(base.status, StatusConnected);
    }

    BaseContent within12(int population, int organizations, int cityCodes) {
        BaseContent c;
        const int counts[3] = {population, organizations, cityCodes};
        for (int k = 0; k < 3; ++k)
            for (int i = 0; i < counts[k]; ++i)
                c.tables[k].push_back(randomRecordWithin12(gen, static_cast<TableKind>(k)));
        return c;
    }

    Legacy10Content random10(int population, int organizations) {
        Legacy10Content c;
        for (int i = 0; i < population; ++i)
            c.tables[0].push_back(randomLegacy10Record(gen, TableKind::Population));
        for (int i = 0; i < organizations; ++i)
            c.tables[1].push_back(randomLegacy10Record(gen, TableKind::Organizations));
        return c;
    }
};

// What a record of version 2.0 becomes after a trip through version 1.2: an
// organization's unit joins its house when both fit 8 characters, else is
// dropped; everything else stays.
RecordTexts through12(const RecordTexts& r, TableKind kind) {
    RecordTexts out = r;
    if (kind == TableKind::Organizations) {
        const std::string& house = r[3];
        const std::string& unit = r[4];
        if (!unit.empty() && house.size() + unit.size() < 8) out[3] = house + "-" + unit;
        out[4].clear();
    }
    return out;
}

// The seven fields a 1.0 record maps to.
RecordTexts fieldsOf10(const LegacyRecord& r, TableKind kind) {
    RecordTexts t;
    t[0] = r.phone;
    t[1] = r.name;
    if (kind == TableKind::Population && !r.initials.empty()) t[1] += " " + r.initials;
    t[2] = r.street;
    t[3] = r.house;
    if (kind == TableKind::Population)
        t[4] = r.apartment;
    else
        t[5] = r.organization;
    t[6] = r.comment;
    return t;
}

TEST(ConvertProgressStep, IsTheTotalOver300AtLeastOne) {
    EXPECT_EQ(progressStep(0), 1);
    EXPECT_EQ(progressStep(299), 1);
    EXPECT_EQ(progressStep(300), 1);
    EXPECT_EQ(progressStep(599), 1);
    EXPECT_EQ(progressStep(600), 2);
    EXPECT_EQ(progressStep(900), 3);
    EXPECT_EQ(progressStep(30000), 100);
}

TEST(ConvertTable, OnlyTheListedConversionsExist) {
    EXPECT_TRUE(conversionExists(0x0100, 0x0120));
    EXPECT_TRUE(conversionExists(0x0101, 0x0120));
    EXPECT_TRUE(conversionExists(0x0100, 0x0201));
    EXPECT_TRUE(conversionExists(0x0120, 0x0201));
    EXPECT_TRUE(conversionExists(0x0200, 0x0201));
    EXPECT_TRUE(conversionExists(0x0201, 0x0120));
    EXPECT_FALSE(conversionExists(0x0201, 0x0201));
    EXPECT_FALSE(conversionExists(0x0120, 0x0120));
    EXPECT_FALSE(conversionExists(0x0200, 0x0120));
    EXPECT_FALSE(conversionExists(0x0100, 0x0200));
    EXPECT_FALSE(conversionExists(0x0300, 0x0201));
}

TEST_F(Convert, From20To12AndBackKeepsWhatTheMappingKeeps) {
    for (const std::string typed : {"", "ключ-длинный"}) {
        BaseContent content = within12(120, 80, 15);
        // Fixed cases of the joining rule.
        RecordTexts org{};
        org[3] = "12";
        org[4] = "5";
        content.tables[1].push_back(org);
        org[3] = "1234567";
        content.tables[1].push_back(org);
        RecordTexts person{};
        person[1] = utf8ToCp1251("Иванов И.И.");
        content.tables[0].push_back(person);
        const std::string source = save20("src.btn", content, typed);

        ConvertResult r = convertFileWithTypedKey(source, dir.file("mid.btn"), 0x0120, typed);
        ASSERT_EQ(r.outcome, ConvertOutcome::Done) << r.status;
        r = convertFileWithTypedKey(dir.file("mid.btn"), dir.file("back.btn"), 0x0201, typed);
        ASSERT_EQ(r.outcome, ConvertOutcome::Done) << r.status;

        PhoneBase back;
        load20(dir.file("back.btn"), typed.empty() ? "" : deriveFileKey(typed), back);
        EXPECT_EQ(back.keyed, typed.empty() ? 0 : 1);
        const BaseContent got = contentOf(back);
        ASSERT_EQ(got.tables[0].size(), content.tables[0].size());
        ASSERT_EQ(got.tables[1].size(), content.tables[1].size());
        EXPECT_TRUE(got.tables[2].empty()); // version 1.2 holds no city codes
        for (size_t i = 0; i < got.tables[0].size(); ++i)
            EXPECT_EQ(got.tables[0][i], content.tables[0][i]) << i;
        for (size_t i = 0; i < got.tables[1].size(); ++i)
            EXPECT_EQ(got.tables[1][i], through12(content.tables[1][i], TableKind::Organizations))
                << i;
        EXPECT_EQ(got.tables[1][got.tables[1].size() - 2][3], "12-5");
        EXPECT_EQ(got.tables[1].back()[3], "1234567");
        EXPECT_EQ(got.tables[1].back()[4], "");
        // Dates travel with the tables.
        EXPECT_EQ(back.tables[0].created, (BaseDate{2001, 2, 3}));
        EXPECT_EQ(back.tables[1].updated, (BaseDate{2002, 12, 29}));
        closeBase(back);
    }
}

// Version 1.2 keeps shorter fields than 2.0: a conversion that would cut some
// names how many records and the first of them, and writes nothing, unless
// cutting is allowed.
TEST_F(Convert, To12WritesNothingThatWouldBeCutUnlessAllowed) {
    struct Case {
        TableKind kind;
        int field;
        size_t length; // the 2.0 maximum, over the 1.2 limit
        const char* named;
    } cases[] = {
        {TableKind::Population, 1, 10, "Население, запись 2, поле \"Телефон\""},
        {TableKind::Organizations, 4, 9, "Организации, запись 2, поле \"Дом\""},
    };
    for (const Case& c : cases) {
        BaseContent content = within12(4, 4, 1);
        for (size_t i : {1, 3})
            content.tables[static_cast<size_t>(c.kind)][i][static_cast<size_t>(c.field - 1)] =
                std::string(c.length, '7');
        const std::string source = save20("long.btn", content, "");
        const std::vector<unsigned char> sourceBytes = readBytes(source);
        writeBytes(dir.file("old.btn"), {9, 9, 9});
        for (const std::string& to : {dir.file("new.btn"), dir.file("old.btn"), source}) {
            const ConvertResult r = convertFile(source, to, 0x0120, "");
            EXPECT_EQ(r.outcome, ConvertOutcome::WouldCut);
            EXPECT_EQ(r.cut.records, 2);
            EXPECT_NE(cutFieldsMessage(r.cut).find(c.named), std::string::npos)
                << cutFieldsMessage(r.cut);
        }
        EXPECT_FALSE(fileSystem().attributes(dir.file("new.btn")).exists);
        EXPECT_EQ(readBytes(dir.file("old.btn")), (std::vector<unsigned char>{9, 9, 9}));
        EXPECT_EQ(readBytes(source), sourceBytes);
        EXPECT_EQ(
            convertFile(source, dir.file("old.btn"), 0x0120, "", {}, FieldCutting::Allow).outcome,
            ConvertOutcome::Done);
    }
}

TEST_F(Convert, From12WithWrongOrMissingKeyCannotRead) {
    const BaseContent content = within12(40, 10, 0);
    const std::string source = save20("src.btn", content, "right");
    ASSERT_EQ(convertFileWithTypedKey(source, dir.file("mid.btn"), 0x0120, "right").outcome,
              ConvertOutcome::Done);
    ConvertResult wrong =
        convertFileWithTypedKey(dir.file("mid.btn"), dir.file("out.btn"), 0x0201, "wrong");
    EXPECT_EQ(wrong.outcome, ConvertOutcome::CannotRead);
    EXPECT_EQ(wrong.status, StatusLoadFailed);
    ConvertResult none =
        convertFileWithTypedKey(dir.file("mid.btn"), dir.file("out.btn"), 0x0201, "");
    EXPECT_EQ(none.outcome, ConvertOutcome::CannotRead);
    EXPECT_EQ(none.status, StatusKeyMissing);
    EXPECT_FALSE(fileSystem().attributes(dir.file("out.btn")).exists);
}

TEST_F(Convert, From10To20MapsEveryField) {
    for (const std::string typed : {"", "пароль"}) {
        Legacy10Content c = random10(50, 30);
        LegacyRecord noInitials;
        noInitials.name = utf8ToCp1251("Сидоров");
        c.tables[0].push_back(noInitials);
        const std::string source = write("old.btn", legacy10Image(c, typed));
        ConvertResult r = convertFileWithTypedKey(source, dir.file("new.btn"), 0x0201, typed);
        ASSERT_EQ(r.outcome, ConvertOutcome::Done) << r.status;
        PhoneBase base;
        load20(dir.file("new.btn"), typed.empty() ? "" : deriveFileKey(typed), base);
        const BaseContent got = contentOf(base);
        ASSERT_EQ(got.tables[0].size(), c.tables[0].size());
        ASSERT_EQ(got.tables[1].size(), c.tables[1].size());
        EXPECT_TRUE(got.tables[2].empty());
        for (int k = 0; k < 2; ++k)
            for (size_t i = 0; i < got.tables[k].size(); ++i)
                EXPECT_EQ(got.tables[k][i], fieldsOf10(c.tables[k][i], static_cast<TableKind>(k)));
        EXPECT_EQ(got.tables[0].back()[1], utf8ToCp1251("Сидоров")); // no trailing blank
        EXPECT_EQ(base.tables[0].created, c.created[0]);
        EXPECT_EQ(base.tables[1].updated, c.updated[1]);
        closeBase(base);
    }
}

TEST_F(Convert, From10To12KeepsInitialsApart) {
    Legacy10Content c = random10(20, 10);
    c.tables[0][0].initials = utf8ToCp1251("ИП");
    const std::string source = write("old.btn", legacy10Image(c, "k1"));
    ASSERT_EQ(convertFileWithTypedKey(source, dir.file("mid.btn"), 0x0120, "k1").outcome,
              ConvertOutcome::Done);
    auto file = fileSystem().open(dir.file("mid.btn"), OpenMode::ReadShared);
    ASSERT_TRUE(file);
    PhoneBase mid;
    ASSERT_TRUE(readLegacy12(*file, "k1", mid)) << mid.status;
    EXPECT_EQ(mid.keyed, 1);
    LegacyRecord r;
    legacy12Record(mid.tables[0], TableKind::Population, 0, r);
    EXPECT_EQ(r.initials, utf8ToCp1251("ИП"));
    EXPECT_EQ(r.name, c.tables[0][0].name);
    legacy12Record(mid.tables[1], TableKind::Organizations, 9, r);
    EXPECT_EQ(r.organization, c.tables[1][9].organization);
    // And on to 2.0, as a direct 1.0 -> 2.0 conversion does.
    ASSERT_EQ(convertFileWithTypedKey(dir.file("mid.btn"), dir.file("a.btn"), 0x0201, "k1").outcome,
              ConvertOutcome::Done);
    ASSERT_EQ(convertFileWithTypedKey(source, dir.file("b.btn"), 0x0201, "k1").outcome,
              ConvertOutcome::Done);
    PhoneBase a, b;
    load20(dir.file("a.btn"), deriveFileKey("k1"), a);
    load20(dir.file("b.btn"), deriveFileKey("k1"), b);
    EXPECT_EQ(contentOf(a).tables[0], contentOf(b).tables[0]);
    EXPECT_EQ(contentOf(a).tables[1], contentOf(b).tables[1]);
}

TEST_F(Convert, From10WithWrongKeyOrDamagedBodyWritesNothing) {
    Legacy10Content c = random10(30, 5);
    const std::string source = write("old.btn", legacy10Image(c, "secret"));
    ConvertResult wrong = convertFileWithTypedKey(source, dir.file("x.btn"), 0x0201, "Secret");
    EXPECT_NE(wrong.outcome, ConvertOutcome::Done);
    EXPECT_TRUE(wrong.outcome == ConvertOutcome::CannotRead ||
                wrong.outcome == ConvertOutcome::Damaged);
    EXPECT_EQ(convertFileWithTypedKey(source, dir.file("x.btn"), 0x0201, "").status,
              StatusKeyMissing);

    // A body whose records end early: the header promises more.
    Legacy10Content shortBody = random10(3, 0);
    std::vector<unsigned char> image = legacy10Image(shortBody, "");
    const auto n = static_cast<uint32_t>(image.size() - 7);
    const ScrambleKey key = builtinScrambleKey(BuiltinScrambleKey::Body10);
    scrambleBlocks(image.data() + 7, n, n, key, LegacyVersion::V10, true);
    putI32(image.data() + 7 + 8, 4);
    scrambleBlocks(image.data() + 7, n, n, key, LegacyVersion::V10, false);
    const std::string damaged = write("damaged.btn", image);
    EXPECT_EQ(convertFileWithTypedKey(damaged, dir.file("x.btn"), 0x0201, "").outcome,
              ConvertOutcome::Damaged);
    EXPECT_EQ(convertFileWithTypedKey(damaged, dir.file("x.btn"), 0x0120, "").outcome,
              ConvertOutcome::Damaged);
    EXPECT_FALSE(fileSystem().attributes(dir.file("x.btn")).exists);
}

TEST_F(Convert, From20bTo20CarriesAllThreeTables) {
    for (const std::string fileKey : {"", "fk"}) {
        const BaseContent content = randomContent(gen, 60, 30, 20);
        const std::string source = write("b.btn", image20b(content, fileKey));
        ConvertResult r = convertFile(source, dir.file("new.btn"), 0x0201, fileKey);
        ASSERT_EQ(r.outcome, ConvertOutcome::Done) << r.status;
        PhoneBase base;
        load20(dir.file("new.btn"), fileKey, base);
        const BaseContent got = contentOf(base);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(got.tables[k], content.tables[k]) << k;
        EXPECT_EQ(base.tables[2].created, (BaseDate{2001, 2, 5}));
    }
    const std::string keyed = write("kb.btn", image20b(randomContent(gen, 5, 0, 0), "fk"));
    EXPECT_EQ(convertFile(keyed, dir.file("o.btn"), 0x0201, "bad").status, StatusLoadFailed);
    EXPECT_EQ(convertFile(keyed, dir.file("o.btn"), 0x0201, "").status, StatusKeyMissing);
}

TEST_F(Convert, OtherCombinationsConvertNothing) {
    const std::string v20 = save20("a.btn", randomContent(gen, 2, 2, 2), "");
    const std::string v20b = write("b.btn", image20b(randomContent(gen, 2, 2, 2), ""));
    EXPECT_EQ(convertFile(v20, dir.file("o.btn"), 0x0201, "").outcome,
              ConvertOutcome::NothingToConvert);
    EXPECT_EQ(convertFile(v20b, dir.file("o.btn"), 0x0120, "").outcome,
              ConvertOutcome::NothingToConvert);
    EXPECT_EQ(convertFile(v20, dir.file("o.btn"), 0x0200, "").outcome,
              ConvertOutcome::NothingToConvert);
    std::vector<unsigned char> foreign(40, 0x33);
    EXPECT_EQ(convertFile(write("f.btn", foreign), dir.file("o.btn"), 0x0201, "").outcome,
              ConvertOutcome::NothingToConvert);
    EXPECT_FALSE(fileSystem().attributes(dir.file("o.btn")).exists);
}

TEST_F(Convert, InPlaceConversionLeavesALoadableFileAndNoTemporaries) {
    const BaseContent content = within12(25, 25, 0);
    const std::string source = save20("a.btn", content, "ключ");
    ASSERT_EQ(convertFileWithTypedKey(source, dir.file("old.btn"), 0x0120, "ключ").outcome,
              ConvertOutcome::Done);
    // As the loading does: the file key of the typed key, source = destination.
    ConvertResult r =
        convertFile(dir.file("old.btn"), dir.file("old.btn"), 0x0201, deriveFileKey("ключ"));
    ASSERT_EQ(r.outcome, ConvertOutcome::Done) << r.status;
    PhoneBase base;
    load20(dir.file("old.btn"), deriveFileKey("ключ"), base);
    EXPECT_EQ(base.keyed, 1);
    EXPECT_EQ(contentOf(base).tables[0], content.tables[0]);
    closeBase(base);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.btn", "old.btn"}));
}

TEST_F(Convert, FileKeysFindTheTypedKeyOfLegacySources) {
    for (int round = 0; round < 40; ++round) {
        const std::string typed = gen.key(1 + gen.below(32));
        const std::vector<std::string> texts = typedKeysOfFileKey(deriveFileKey(typed));
        EXPECT_NE(std::find(texts.begin(), texts.end(), typed), texts.end());
        for (const std::string& t : texts)
            EXPECT_EQ(deriveFileKey(t), deriveFileKey(typed));
    }
    Legacy10Content c = random10(10, 10);
    const std::string source = write("old.btn", legacy10Image(c, "ABCdef12"));
    ConvertResult r = convertFile(source, dir.file("new.btn"), 0x0201, deriveFileKey("ABCdef12"));
    ASSERT_EQ(r.outcome, ConvertOutcome::Done) << r.status;
    PhoneBase base;
    load20(dir.file("new.btn"), deriveFileKey("ABCdef12"), base);
    EXPECT_EQ(base.tables[1].count, 10);
}

TEST_F(Convert, KeyedTargetOf12NeedsAnUnambiguousTypedKey) {
    // Find a key whose file key several typed texts share.
    std::string typed;
    for (int i = 0; i < 200 && typed.empty(); ++i) {
        std::string k = gen.key(6);
        if (typedKeysOfFileKey(deriveFileKey(k)).size() > 1) typed = k;
    }
    ASSERT_FALSE(typed.empty());
    const std::string source = save20("a.btn", within12(3, 3, 0), typed);
    ConvertResult r = convertFile(source, dir.file("o.btn"), 0x0120, deriveFileKey(typed));
    EXPECT_EQ(r.outcome, ConvertOutcome::CannotRead);
    EXPECT_EQ(r.status, StatusKeyMissing);
    EXPECT_EQ(convertFileWithTypedKey(source, dir.file("o.btn"), 0x0120, typed).outcome,
              ConvertOutcome::Done);
}

TEST_F(Convert, ProgressMovesAtEveryStep) {
    struct Case {
        int population, organizations;
        int32_t step;
    } cases[] = {{200, 99, 1}, {400, 200, 2}};
    for (const Case& c : cases) {
        const std::string source = save20("p.btn", within12(c.population, c.organizations, 7), "");
        std::vector<int32_t> seen;
        ConvertResult r =
            convertFile(source, dir.file("p12.btn"), 0x0120, "", [&](int32_t done, int32_t total) {
                EXPECT_EQ(total, c.population + c.organizations);
                seen.push_back(done);
            });
        ASSERT_EQ(r.outcome, ConvertOutcome::Done);
        const int32_t total = c.population + c.organizations;
        ASSERT_EQ(seen.size(), static_cast<size_t>(total / c.step));
        for (size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i], static_cast<int32_t>(i + 1) * c.step);
    }
    // City codes of a 2.0b source are converted too and so count in the range:
    // the bar never runs past its end.
    const std::string source = write("b.btn", image20b(randomContent(gen, 300, 0, 300), ""));
    std::vector<int32_t> seen;
    ConvertResult r =
        convertFile(source, dir.file("b20.btn"), 0x0201, "", [&](int32_t done, int32_t total) {
            EXPECT_EQ(total, 600);
            seen.push_back(done);
        });
    ASSERT_EQ(r.outcome, ConvertOutcome::Done);
    ASSERT_EQ(seen.size(), 300u);
    EXPECT_EQ(seen.back(), 600);
}

TEST_F(Convert, DestinationProblems) {
    const std::string source = save20("a.btn", within12(3, 3, 0), "");
    EXPECT_EQ(convertFile(source, dir.file("no/such/folder.btn"), 0x0120, "").outcome,
              ConvertOutcome::CannotCreate);
    // A destination that another writer holds is left alone.
    writeBytes(dir.file("held.btn"), {1, 2, 3});
    auto holder = fileSystem().open(dir.file("held.btn"), OpenMode::ReadWriteExclusive);
    ASSERT_TRUE(holder);
    EXPECT_EQ(convertFile(source, dir.file("held.btn"), 0x0120, "").outcome,
              ConvertOutcome::CannotCreate);
    EXPECT_EQ(readBytes(dir.file("held.btn")), (std::vector<unsigned char>{1, 2, 3}));
    holder.reset();
    // The source itself held by another writer cannot be converted in place.
    auto sourceHolder = fileSystem().open(source, OpenMode::ReadWriteExclusive);
    EXPECT_EQ(convertFile(source, source, 0x0120, "").outcome, ConvertOutcome::CannotOpen);
    sourceHolder.reset();

    EXPECT_EQ(convertFile(dir.file("absent.btn"), dir.file("o.btn"), 0x0201, "").status,
              StatusNotFound);
    EXPECT_EQ(convertFile(write("tiny.btn", {0x20, 0x01}), dir.file("o.btn"), 0x0201, "").status,
              StatusNoData);
}

TEST_F(Convert, AFailedWriteKeepsTheOldDestination) {
    const std::string source = save20("a.btn", within12(30, 3, 0), "");
    writeBytes(dir.file("keep.btn"), {9, 9, 9});
    FaultFileSystem faults;
    faults.failTempWritesAfter = 10;
    {
        ScopedFileSystem scoped(faults);
        EXPECT_EQ(convertFile(source, dir.file("keep.btn"), 0x0120, "").outcome,
                  ConvertOutcome::SaveFailed);
        EXPECT_EQ(convertFile(dir.file("keep.btn"), dir.file("x.btn"), 0x0201, "").outcome,
                  ConvertOutcome::CannotRead);
    }
    EXPECT_EQ(readBytes(dir.file("keep.btn")), (std::vector<unsigned char>{9, 9, 9}));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.btn", "keep.btn"}));
}

TEST_F(Convert, DamagedLegacySourcesNeverCrash) {
    Legacy10Content c = random10(4, 3);
    const std::string plain10 = write("p10.btn", legacy10Image(c, ""));
    ASSERT_EQ(convertFile(plain10, dir.file("p12.btn"), 0x0120, "").outcome, ConvertOutcome::Done);
    const std::vector<unsigned char> images[] = {readBytes(plain10),
                                                 readBytes(dir.file("p12.btn"))};
    for (const auto& good : images)
        for (size_t at = 0; at < good.size(); at += 3) {
            std::vector<unsigned char> image = good;
            image[at] ^= 0xA5;
            const std::string path = write("bad.btn", image);
            ConvertResult r = convertFile(path, dir.file("out.btn"), 0x0201, "");
            if (r.outcome == ConvertOutcome::CannotRead) {
                EXPECT_NE(r.status, 0);
            }
            if (r.outcome == ConvertOutcome::Done) {
                PhoneBase base;
                load20(dir.file("out.btn"), "", base);
                expectConsistent(base);
            }
        }
}

} // namespace
} // namespace talsk::test
