// Header-only reading of every file version for the information displays.

#include "base/base_file.h"
#include "base/file_info.h"
#include "base/legacy_12.h"
#include "base/legacy_records.h"
#include "base/load_status.h"
#include "support/base_fixtures.h"
#include "support/legacy_images.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

class FileInfo : public ::testing::Test {
protected:
    TempDir dir;
    RecordGenerator gen{41};

    std::string write(const std::string& name, const std::vector<unsigned char>& bytes) {
        writeBytes(dir.file(name), bytes);
        return dir.file(name);
    }
    // The file is closed again: a writer can take it at once.
    void expectClosed(const std::string& path, const PhoneBase& base) {
        EXPECT_FALSE(base.file);
        EXPECT_NE(fileSystem().open(path, OpenMode::ReadWriteExclusive), nullptr);
    }
};

TEST_F(FileInfo, Version20ShowsCountsDatesAndKey) {
    const BaseContent content = randomContent(gen, 9, 4, 2);
    const std::string path = write("a.btn", savedBytes(content, "file-key"));
    PhoneBase base;
    ASSERT_TRUE(readFileInfo(path, base));
    EXPECT_EQ(base.version, kVersion20);
    EXPECT_EQ(base.keyed, 1);
    EXPECT_EQ(base.status, 0);
    EXPECT_EQ(base.connected, 0);
    EXPECT_EQ(base.tables[0].count, 9);
    EXPECT_EQ(base.tables[1].count, 4);
    EXPECT_EQ(base.tables[2].count, 2);
    EXPECT_EQ(base.tables[1].created, (BaseDate{2001, 2, 4}));
    EXPECT_EQ(base.tables[2].updated, (BaseDate{2002, 12, 28}));
    EXPECT_TRUE(base.tables[0].text.empty()); // no records are read
    expectClosed(path, base);
}

TEST_F(FileInfo, Version20bIsReadWithItsStatus) {
    const BaseContent content = randomContent(gen, 3, 2, 1);
    const std::string path = write("b.btn", image20b(content, ""));
    PhoneBase base;
    ASSERT_TRUE(readFileInfo(path, base));
    EXPECT_EQ(base.version, kVersion20b);
    EXPECT_EQ(base.status, StatusVersionMismatch);
    EXPECT_EQ(base.tables[2].count, 1);
    expectClosed(path, base);
}

TEST_F(FileInfo, Version10WithBuiltinOrUserKey) {
    Legacy10Content c;
    for (int i = 0; i < 6; ++i)
        c.tables[0].push_back(randomLegacy10Record(gen, TableKind::Population));
    c.tables[1].push_back(randomLegacy10Record(gen, TableKind::Organizations));
    const std::string plain = write("p10.btn", legacy10Image(c, ""));
    PhoneBase base;
    ASSERT_TRUE(readFileInfo(plain, base));
    EXPECT_EQ(base.version, kVersion10a);
    EXPECT_EQ(base.status, StatusVersionMismatch);
    EXPECT_EQ(base.keyed, 0);
    EXPECT_EQ(base.tables[0].count, 6);
    EXPECT_EQ(base.tables[1].count, 1);
    EXPECT_EQ(base.tables[0].created, c.created[0]);
    expectClosed(plain, base);

    const std::string keyed = write("k10.btn", legacy10Image(c, "key", 0x0101));
    ASSERT_TRUE(readFileInfo(keyed, base));
    EXPECT_EQ(base.version, kVersion10b);
    EXPECT_EQ(base.keyed, 1);
    EXPECT_EQ(base.tables[0].count, 0);

    std::vector<unsigned char> bad = legacy10Image(c, "");
    bad[2] = 7; // no such key kind
    EXPECT_FALSE(readFileInfo(write("bad10.btn", bad), base));
    EXPECT_EQ(base.status, StatusLoadFailed);
    EXPECT_EQ(base.version, kVersion10a);
}

TEST_F(FileInfo, Version12ShowsAllThreeDescriptors) {
    LegacyRecord r;
    r.name = "x";
    Legacy12Table tables[2];
    ASSERT_TRUE(packLegacy12(r, TableKind::Population, tables[0].text));
    ASSERT_TRUE(packLegacy12(r, TableKind::Population, tables[0].text));
    tables[0].count = 2;
    tables[0].created = BaseDate{1997, 6, 7};
    std::vector<unsigned char> image;
    ASSERT_TRUE(buildLegacy12Image(tables, true, "key", image));
    const std::string path = write("a12.btn", image);
    PhoneBase base;
    ASSERT_TRUE(readFileInfo(path, base));
    EXPECT_EQ(base.version, kVersion12);
    EXPECT_EQ(base.status, StatusVersionMismatch);
    EXPECT_EQ(base.keyed, 1);
    EXPECT_EQ(base.tables[0].count, 2);
    EXPECT_EQ(base.tables[0].created, (BaseDate{1997, 6, 7}));
    EXPECT_EQ(base.tables[1].count, 0);
    EXPECT_EQ(base.tables[2].count, 0);
    expectClosed(path, base);

    image[4] = 9; // no such key kind: the header check fails
    EXPECT_FALSE(readFileInfo(write("bad12.btn", image), base));
    EXPECT_EQ(base.status, StatusHeaderInvalid);
}

TEST_F(FileInfo, FailuresNameTheirStatus) {
    PhoneBase base;
    EXPECT_FALSE(readFileInfo("", base));
    EXPECT_FALSE(readFileInfo(dir.file("absent.btn"), base));
    EXPECT_EQ(base.status, StatusNotFound);
    EXPECT_FALSE(readFileInfo(dir.path(), base));
    EXPECT_EQ(base.status, StatusNotFound);

    std::vector<unsigned char> other = savedBytes(randomContent(gen, 1, 0, 0), "");
    other[1] = 0x33;
    EXPECT_FALSE(readFileInfo(write("other.btn", other), base));
    EXPECT_EQ(base.status, StatusUnknownFormat);
    EXPECT_EQ(base.version, 0x3301);

    // A freshly created file holds only its 10 lead bytes.
    EXPECT_FALSE(readFileInfo(write("lead.btn", {0x01, 0x02, 3, 0, 0, 0, 0, 0, 0, 0}), base));
    EXPECT_EQ(base.status, StatusNoData);
    EXPECT_FALSE(readFileInfo(write("one.btn", {0x01}), base));
    EXPECT_EQ(base.status, StatusNoData);
    EXPECT_FALSE(readFileInfo(write("empty.btn", {}), base));
    EXPECT_EQ(base.status, StatusNoData);
}

TEST_F(FileInfo, ReusingABaseForgetsThePreviousFile) {
    const std::string full = write("full.btn", savedBytes(randomContent(gen, 5, 5, 5), "k"));
    PhoneBase base;
    ASSERT_TRUE(readFileInfo(full, base));
    EXPECT_FALSE(readFileInfo(dir.file("absent.btn"), base));
    EXPECT_EQ(base.tables[0].count, 0);
    EXPECT_EQ(base.keyed, 0);
    EXPECT_EQ(base.path, dir.file("absent.btn"));
}

TEST_F(FileInfo, TruncatedFilesOfEveryVersionNeverCrash) {
    Legacy10Content c;
    c.tables[0].push_back(randomLegacy10Record(gen, TableKind::Population));
    LegacyRecord r;
    Legacy12Table tables[2];
    ASSERT_TRUE(packLegacy12(r, TableKind::Organizations, tables[1].text));
    tables[1].count = 1;
    std::vector<unsigned char> image12;
    ASSERT_TRUE(buildLegacy12Image(tables, false, "", image12));
    const std::vector<unsigned char> images[] = {savedBytes(randomContent(gen, 2, 2, 2), ""),
                                                 image20b(randomContent(gen, 2, 1, 0), ""),
                                                 legacy10Image(c, ""), image12};
    for (const auto& good : images)
        for (size_t cut = 0; cut <= good.size(); ++cut) {
            const std::string path =
                write("cut.btn", std::vector<unsigned char>(good.begin(), good.begin() + cut));
            PhoneBase base;
            if (!readFileInfo(path, base)) {
                EXPECT_NE(base.status, 0) << cut;
            }
            if (cut < 33) {
                EXPECT_FALSE(readFileInfo(path, base)) << cut;
            }
        }
}

// What the information panel shows for each kind of file it may be pointed at.
TEST_F(FileInfo, PanelTellsMissingFilesFromOtherFailures) {
    const BaseContent content = randomContent(gen, 3, 0, 1);
    std::vector<unsigned char> damaged = savedBytes(content, "");
    damaged.resize(60); // the header ends short
    std::vector<unsigned char> other = savedBytes(content, "");
    other[0] = 0x77;
    Legacy10Content c10;
    c10.tables[0].push_back(randomLegacy10Record(gen, TableKind::Population));
    LegacyRecord r;
    Legacy12Table t12[2];
    ASSERT_TRUE(packLegacy12(r, TableKind::Population, t12[0].text));
    t12[0].count = 1;
    t12[0].created = BaseDate{1997, 6, 7};
    std::vector<unsigned char> image12;
    ASSERT_TRUE(buildLegacy12Image(t12, false, "", image12));
    const std::string created10 = formatBaseDate(c10.created[0]);

    struct Case {
        const char* name; // nullptr: no file; "" : nothing selected
        std::vector<unsigned char> bytes;
        FileInfoRead outcome;
        const char* version;
        const char* population;
        const char* created;
        const char* keyNotice;
    } cases[] = {
        {"", {}, FileInfoRead::NoFile, "", "-", "-", ""},
        {nullptr, {}, FileInfoRead::NotFound, "", "-", "-", ""},
        {"one.btn", {0x01}, FileInfoRead::Unreadable, "", "-", "-", ""},
        {"text.btn", other, FileInfoRead::UnknownFormat, "Неверный формат", "-", "-", ""},
        {"damaged.btn", damaged, FileInfoRead::Damaged, "Версия 2.0", "-", "-", ""},
        {"lead.btn",
         {0x01, 0x02, 3, 0, 0, 0, 0, 0, 0, 0},
         FileInfoRead::Damaged,
         "Версия 2.0",
         "-",
         "-",
         ""},
        {"plain.btn", savedBytes(content, ""), FileInfoRead::Read, "Версия 2.0", "3", "3.02.2001",
         ""},
        {"keyed.btn", savedBytes(content, "k"), FileInfoRead::Read, "Версия 2.0", "3", "3.02.2001",
         "Требуется ключ"},
        {"b.btn", image20b(content, ""), FileInfoRead::Read, "Версия 2.0b", "3", "3.02.2001", ""},
        {"a10.btn", legacy10Image(c10, ""), FileInfoRead::Read, "Версия 1.0", "1",
         created10.c_str(), ""},
        {"a12.btn", image12, FileInfoRead::Read, "Версия 1.2", "1", "7.06.1997", ""},
    };
    for (const Case& c : cases) {
        std::string path;
        if (c.name == nullptr)
            path = dir.file("absent.btn");
        else if (*c.name != 0)
            path = write(c.name, c.bytes);
        PhoneBase base;
        FileInfoRead outcome = FileInfoRead::Read;
        EXPECT_EQ(readFileInfo(path, base, &outcome), c.outcome == FileInfoRead::Read) << path;
        EXPECT_EQ(outcome, c.outcome) << path;
        const FileInfoTexts shown = fileInfoTexts(base, outcome);
        EXPECT_EQ(shown.version, c.version) << path;
        EXPECT_EQ(shown.counts[0], c.population) << path;
        EXPECT_EQ(shown.created[0], c.created) << path;
        EXPECT_EQ(shown.updated[1], "-") << path; // no organizations anywhere
        EXPECT_EQ(shown.keyNotice, c.keyNotice) << path;
    }
}

TEST(FileInfoTexts, ShownAsTheInformationPanelShowsThem) {
    constexpr int32_t kMax = INT32_MAX;
    struct Case {
        int32_t count[3];
        int32_t text[3];
        int32_t stored[3];
        uint16_t version;
        int32_t status;
        const char* counts[3];
        const char* total;
        const char* ratio;
    } cases[] = {
        // 35.1 exactly: no rounding up
        {{10, 0, 0}, {1000, 0, 0}, {649, 0, 0}, kVersion20, 1, {"10", "-", "-"}, "10", "35.1 %"},
        // whole numbers keep no point
        {{4, 3, 3}, {600, 300, 100}, {500, 0, 0}, kVersion20, 1, {"4", "3", "3"}, "10", "50 %"},
        // stored larger than text
        {{10, 0, 0}, {1000, 0, 0}, {1200, 0, 0}, kVersion20, 1, {"10", "-", "-"}, "10", "0 %"},
        // cut, not rounded (66.666...)
        {{1, 0, 0}, {3, 0, 0}, {1, 0, 0}, kVersion20b, 7, {"1", "-", "-"}, "1", "66.6 %"},
        // no records: empty ratio
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, kVersion20, 1, {"-", "-", "-"}, "-", ""},
        // the total goes past 32 bits
        {{kMax, kMax, kMax},
         {kMax, kMax, kMax},
         {0, 0, 0},
         kVersion20,
         7,
         {"2147483647", "2147483647", "2147483647"},
         "6442450941",
         "100 %"},
        // older versions are not compressed
        {{2, 2, 0}, {40, 30, 0}, {0, 0, 0}, kVersion12, 7, {"2", "2", "-"}, "4", "-"},
        {{2, 0, 0}, {0, 0, 0}, {0, 0, 0}, kVersion10a, 7, {"2", "-", "-"}, "2", "-"},
        // a failed header's numbers are not the file's
        {{kMax, -3, 1}, {10, 10, 10}, {-500, 0, 0}, kVersion20, 4, {"-", "-", "-"}, "-", "-"},
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0, 8, {"-", "-", "-"}, "-", "-"},
    };
    for (const Case& c : cases) {
        PhoneBase base;
        for (size_t k = 0; k < 3; ++k) {
            base.tables[k].count = c.count[k];
            base.tables[k].textSize = c.text[k];
            base.tables[k].storedSize = c.stored[k];
        }
        base.version = c.version;
        base.status = c.status;
        const FileInfoTexts shown = fileInfoTexts(base);
        for (size_t k = 0; k < 3; ++k)
            EXPECT_EQ(shown.counts[k], c.counts[k]) << c.total << " " << k;
        EXPECT_EQ(shown.total, c.total);
        EXPECT_EQ(shown.ratio, c.ratio) << c.total;
    }
}

} // namespace
} // namespace talsk::test
