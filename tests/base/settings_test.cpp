#include "base/settings.h"

#include "platform/cp1251.h"
#include "support/fault_file_system.h"
#include "support/settings_fixtures.h"
#include "support/temp_dir.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace talsk {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

ProgramSettings freshSettings(const TempDir& dir) {
    ProgramSettings s;
    resetSettings(s, ResetMode::All);
    s.programFolder = dir.path();
    return s;
}

uint16_t u16At(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
int32_t i32At(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<int32_t>(uint32_t(b.at(at)) | (uint32_t(b.at(at + 1)) << 8) |
                                (uint32_t(b.at(at + 2)) << 16) | (uint32_t(b.at(at + 3)) << 24));
}
float f32At(const std::vector<unsigned char>& b, size_t at) {
    uint32_t u = static_cast<uint32_t>(i32At(b, at));
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

// Every field away from its default, in the folder; one file mask flag
// beyond the listed files, which the file does not keep.
ProgramSettings unusualSettings(const TempDir& dir) {
    ProgramSettings s = test::unusualSettings();
    s.programFolder = dir.path();
    s.fileMask[3] = 1;
    return s;
}

TEST(SettingsFile, FirstStartKeepsTheDefaults) {
    TempDir dir;
    ProgramSettings s = freshSettings(dir);
    EXPECT_FALSE(loadSettings(s));
    EXPECT_EQ(s.startFocus, 7);
    EXPECT_EQ(s.backgroundSearch, 1);
    EXPECT_EQ(s.backgroundDelayMs, 300);
    EXPECT_EQ(s.caseSensitive, 0);
    EXPECT_EQ(s.spacesSignificant, 0);
    EXPECT_EQ(s.searchLogCapacity, 256);
    EXPECT_EQ(s.autoKeyEntry, 1);
    EXPECT_EQ(s.connectFolderFiles, 1);
    EXPECT_EQ(s.autoRemoveMissing, 0);
    EXPECT_EQ(s.fileCount, 0);
    EXPECT_EQ(s.programFolder, dir.path());
}

TEST(SettingsFile, LengthIs588Plus262PerFile) {
    TempDir dir;
    ProgramSettings s = freshSettings(dir);
    ASSERT_TRUE(saveSettings(s));
    EXPECT_EQ(readBytes(dir.file(kConfigFileName)).size(), 588u);
    s.fileCount = 3;
    s.filePaths[0] = "a.btn";
    s.filePaths[1] = "b.btn";
    s.filePaths[2] = "c.btn";
    ASSERT_TRUE(saveSettings(s));
    EXPECT_EQ(readBytes(dir.file(kConfigFileName)).size(), 1374u);
    s.fileCount = 64;
    ASSERT_TRUE(saveSettings(s));
    EXPECT_EQ(readBytes(dir.file(kConfigFileName)).size(), 588u + 262u * 64u);
}

TEST(SettingsFile, FieldsSitAtTheirOffsets) {
    TempDir dir;
    const ProgramSettings s = unusualSettings(dir);
    ASSERT_TRUE(saveSettings(s));
    const std::vector<unsigned char> b = readBytes(dir.file(kConfigFileName));
    ASSERT_EQ(b.size(), 588u + 3 * 262u);
    EXPECT_EQ(b[0], 0x01);
    EXPECT_EQ(b[1], 0x02);
    EXPECT_EQ(i32At(b, 2), 44);    // placement length
    EXPECT_EQ(i32At(b, 10), 3);    // placement showCmd
    EXPECT_EQ(i32At(b, 42), 790);  // placement bottom, the record's last field
    EXPECT_EQ(u16At(b, 46), 4);    // searchFilesChoice
    EXPECT_EQ(b[48], 2);           // searchTablesChoice
    EXPECT_EQ(b[49], 1);           // alwaysOnTop
    EXPECT_EQ(b[50], 0);           // latinToCyrillic, first copy
    EXPECT_EQ(b[117], 2);          // startFocus
    EXPECT_EQ(b[118], 0);          // singleInstance
    EXPECT_EQ(b[119], 1);          // confirmExit
    EXPECT_EQ(b[120], 0);          // rememberWindowPosition
    EXPECT_EQ(u16At(b, 121), 999); // searchLogCapacity
    EXPECT_EQ(b[123], 0);          // latinToCyrillic, second copy
    EXPECT_EQ(u16At(b, 188), 3);   // fileCount
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[190])), "talsk.btn");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[190 + 261])),
              "\xC0\xF0\xF5\xE8\xE2/\xD2\xE0\xEB\xFC\xF1\xEA 2001.btn");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[190 + 522])),
              utf8ToCp1251(test::kLongSettingsPath));
    const size_t p = 190 + 261 * 3;
    EXPECT_EQ(u16At(b, p), 2);        // saveAsChoice
    EXPECT_EQ(b[p + 2], 1);           // noReadOnlyMessage
    EXPECT_EQ(b[p + 4], 1);           // autoRemoveMissing
    EXPECT_EQ(b[p + 5], 0);           // autoKeyEntry
    EXPECT_EQ(b[p + 7], 0);           // connectFolderFiles
    EXPECT_EQ(b[p + 71], 0);          // checkDuplicatePhone
    EXPECT_EQ(b[p + 139], 0);         // notFoundMessage
    EXPECT_EQ(i32At(b, p + 140), 64); // columnWidthsPx[0]
    EXPECT_EQ(i32At(b, p + 152), 212);
    EXPECT_EQ(b[p + 160], 0); // autoColumnWidths
    EXPECT_FLOAT_EQ(f32At(b, p + 161), 0.001f);
    EXPECT_FLOAT_EQ(f32At(b, p + 177), 1.0f);
    EXPECT_EQ(b[p + 182], 1);          // notFoundClearTable
    EXPECT_EQ(i32At(b, p + 248), -8);  // searchLogRect.left
    EXPECT_EQ(i32At(b, p + 260), 480); // searchLogRect.bottom
    EXPECT_EQ(b[p + 328], 1);          // caseSensitive
    EXPECT_EQ(b[p + 329], 1);          // fileMask[0]
    EXPECT_EQ(b[p + 330], 0);          // fileMask[1]
    EXPECT_EQ(b[p + 331], 1);          // fileMask[2]
    const size_t q = p + 329 + 3;
    EXPECT_EQ(b[q], 0);               // backgroundSearch
    EXPECT_EQ(i32At(b, q + 1), 9999); // backgroundDelayMs
    EXPECT_EQ(b[q + 5], 1);           // spacesSignificant
    EXPECT_EQ(q + 6 + 63, b.size());
    // Reserved runs are zero.
    auto zeroRun = [&](size_t from, size_t n) {
        for (size_t i = from; i < from + n; ++i)
            if (b[i] != 0) return false;
        return true;
    };
    EXPECT_TRUE(zeroRun(51, 66));
    EXPECT_TRUE(zeroRun(124, 64));
    EXPECT_TRUE(zeroRun(p + 8, 63));
    EXPECT_TRUE(zeroRun(p + 75, 64));
    EXPECT_TRUE(zeroRun(p + 184, 64));
    EXPECT_TRUE(zeroRun(p + 264, 64));
    EXPECT_TRUE(zeroRun(q + 6, 63));
    // The bytes after a path's terminator are zero too.
    EXPECT_TRUE(zeroRun(190 + 9, 261 - 9));
}

TEST(SettingsFile, RoundTripRestoresEveryField) {
    TempDir dir;
    const ProgramSettings s = unusualSettings(dir);
    ASSERT_TRUE(saveSettings(s));
    const std::vector<unsigned char> first = readBytes(dir.file(kConfigFileName));

    ProgramSettings back = freshSettings(dir);
    ASSERT_TRUE(loadSettings(back));
    EXPECT_EQ(back.fileCount, 3);
    EXPECT_EQ(back.filePaths[1], s.filePaths[1]);
    EXPECT_EQ(back.columnWidthShares, s.columnWidthShares);
    EXPECT_EQ(back.searchLogRect.right, 640);
    EXPECT_EQ(back.windowPlacement.bottom, 790);
    EXPECT_EQ(back.latinToCyrillic, 0);
    EXPECT_EQ(back.fileMask[3], 0); // the mask is stored for the listed files only
    EXPECT_EQ(back.programFolder, dir.path());

    ASSERT_TRUE(saveSettings(back));
    EXPECT_EQ(readBytes(dir.file(kConfigFileName)), first);
}

TEST(SettingsFile, ReaderKeepsTheSecondLatinToCyrillicCopy) {
    TempDir dir;
    ProgramSettings s = freshSettings(dir);
    ASSERT_TRUE(saveSettings(s));
    std::vector<unsigned char> b = readBytes(dir.file(kConfigFileName));
    b[50] = 0;
    b[123] = 1;
    writeBytes(dir.file(kConfigFileName), b);
    s.latinToCyrillic = 0;
    ASSERT_TRUE(loadSettings(s));
    EXPECT_EQ(s.latinToCyrillic, 1);
}

TEST(SettingsFile, PathsAreCutTo260Characters) {
    TempDir dir;
    ProgramSettings s = freshSettings(dir);
    s.fileCount = 2;
    s.filePaths[0] = std::string(300, 'x');
    s.filePaths[1] = "b.btn";
    ASSERT_TRUE(saveSettings(s));
    EXPECT_EQ(readBytes(dir.file(kConfigFileName)).size(), 588u + 2 * 262u);
    ProgramSettings back = freshSettings(dir);
    ASSERT_TRUE(loadSettings(back));
    EXPECT_EQ(back.filePaths[0], std::string(260, 'x'));
    EXPECT_EQ(back.filePaths[1], "b.btn");
}

TEST(SettingsFile, ForeignSignatureLeavesTheRecord) {
    TempDir dir;
    ProgramSettings saved = unusualSettings(dir);
    ASSERT_TRUE(saveSettings(saved));
    std::vector<unsigned char> b = readBytes(dir.file(kConfigFileName));
    b[0] = 0x02;
    b[1] = 0x01;
    writeBytes(dir.file(kConfigFileName), b);
    ProgramSettings s = freshSettings(dir);
    EXPECT_TRUE(loadSettings(s));
    EXPECT_EQ(s.fileCount, 0);
    EXPECT_EQ(s.startFocus, 7);
    EXPECT_EQ(s.caseSensitive, 0);
}

TEST(SettingsFile, ShortFileKeepsTheFieldsAfterItsEnd) {
    TempDir dir;
    ProgramSettings saved = unusualSettings(dir);
    ASSERT_TRUE(saveSettings(saved));
    std::vector<unsigned char> b = readBytes(dir.file(kConfigFileName));
    b.resize(119); // ends after singleInstance
    writeBytes(dir.file(kConfigFileName), b);
    ProgramSettings s = freshSettings(dir);
    s.confirmExit = 1;
    s.searchLogCapacity = 12;
    ASSERT_TRUE(loadSettings(s));
    EXPECT_EQ(s.startFocus, 2);
    EXPECT_EQ(s.singleInstance, 0);
    EXPECT_EQ(s.confirmExit, 1);        // not in the file: kept
    EXPECT_EQ(s.searchLogCapacity, 12); // not in the file: kept
    EXPECT_EQ(s.fileCount, 0);
}

TEST(SettingsFile, EveryTruncationLoadsInRange) {
    TempDir dir;
    ProgramSettings saved = unusualSettings(dir);
    saved.fileCount = 5;
    saved.searchFilesChoice = 7;
    ASSERT_TRUE(saveSettings(saved));
    const std::vector<unsigned char> full = readBytes(dir.file(kConfigFileName));
    for (size_t len = 0; len <= full.size(); ++len) {
        writeBytes(dir.file(kConfigFileName),
                   std::vector<unsigned char>(full.begin(), full.begin() + static_cast<long>(len)));
        ProgramSettings s = freshSettings(dir);
        ASSERT_TRUE(loadSettings(s)) << len;
        ASSERT_GE(s.fileCount, 0) << len;
        ASSERT_LE(s.fileCount, kMaxFiles) << len;
        ASSERT_LE(s.searchFilesChoice, s.fileCount + 2) << len;
        ASSERT_LE(s.saveAsChoice, s.fileCount) << len;
        for (int i = 0; i < s.fileCount; ++i)
            ASSERT_LE(pathCharacters(s.filePaths[static_cast<size_t>(i)]), kMaxPathChars);
    }
}

TEST(SettingsFile, CountAbove64StoresNoMoreThan64Entries) {
    TempDir dir;
    ProgramSettings saved = freshSettings(dir);
    saved.fileCount = 64;
    for (int i = 0; i < 64; ++i)
        saved.filePaths[static_cast<size_t>(i)] = "f" + std::to_string(i) + ".btn";
    ASSERT_TRUE(saveSettings(saved));
    std::vector<unsigned char> b = readBytes(dir.file(kConfigFileName));
    // A damaged count of 100 over a file padded with path-like bytes.
    b[188] = 100;
    b[189] = 0;
    b.resize(588 + 262 * 100, 'A');
    writeBytes(dir.file(kConfigFileName), b);
    ProgramSettings s = freshSettings(dir);
    ASSERT_TRUE(loadSettings(s));
    EXPECT_EQ(s.fileCount, 0);
    EXPECT_EQ(s.startFocus, 7);

    b[188] = 0xFF; // -1
    b[189] = 0xFF;
    writeBytes(dir.file(kConfigFileName), b);
    ProgramSettings negative = freshSettings(dir);
    ASSERT_TRUE(loadSettings(negative));
    EXPECT_EQ(negative.fileCount, 0);
}

TEST(SettingsFile, OutOfRangeValuesFromTheFileAreCorrected) {
    TempDir dir;
    ProgramSettings s = freshSettings(dir);
    s.fileCount = 1;
    s.filePaths[0] = "a.btn";
    s.searchTablesChoice = 9;
    s.startFocus = 8;
    s.searchLogCapacity = 1000;
    s.searchFilesChoice = 4; // above fileCount + 2
    s.saveAsChoice = 2;      // above fileCount
    s.columnWidthsPx = {-1, 3001, 3000, 0, 100};
    s.columnWidthShares = {0.0009f, 1.01f, std::numeric_limits<float>::quiet_NaN(), 0.001f, -0.5f};
    s.backgroundDelayMs = 0;
    ASSERT_TRUE(saveSettings(s));

    ProgramSettings back = freshSettings(dir);
    ASSERT_TRUE(loadSettings(back));
    EXPECT_EQ(back.searchTablesChoice, 3);
    EXPECT_EQ(back.startFocus, 7);
    EXPECT_EQ(back.searchLogCapacity, 256);
    EXPECT_EQ(back.searchFilesChoice, 0);
    EXPECT_EQ(back.saveAsChoice, 0);
    EXPECT_EQ(back.columnWidthsPx, (std::array<int32_t, 5>{70, 180, 3000, 0, 100}));
    EXPECT_FLOAT_EQ(back.columnWidthShares[0], 0.07f);
    EXPECT_FLOAT_EQ(back.columnWidthShares[1], 0.25f);
    EXPECT_FLOAT_EQ(back.columnWidthShares[2], 0.28f); // NaN replaced
    EXPECT_FLOAT_EQ(back.columnWidthShares[3], 0.001f);
    EXPECT_FLOAT_EQ(back.columnWidthShares[4], 0.08f);
    EXPECT_EQ(back.backgroundDelayMs, 300);
}

TEST(SettingsValidation, LimitsAreInclusive) {
    ProgramSettings s;
    s.fileCount = 64;
    s.searchFilesChoice = 66;
    s.saveAsChoice = 64;
    s.searchTablesChoice = 5;
    s.startFocus = 7;
    s.searchLogCapacity = 999;
    s.backgroundDelayMs = 9999;
    validateSettings(s);
    EXPECT_EQ(s.fileCount, 64);
    EXPECT_EQ(s.searchFilesChoice, 66);
    EXPECT_EQ(s.saveAsChoice, 64);
    EXPECT_EQ(s.searchTablesChoice, 5);
    EXPECT_EQ(s.searchLogCapacity, 999);
    EXPECT_EQ(s.backgroundDelayMs, 9999);

    s.fileCount = 65; // the count is corrected first, and the choices against it
    s.searchFilesChoice = 3;
    s.saveAsChoice = 1;
    s.backgroundDelayMs = 10000;
    validateSettings(s);
    EXPECT_EQ(s.fileCount, 0);
    EXPECT_EQ(s.searchFilesChoice, 0);
    EXPECT_EQ(s.saveAsChoice, 0);
    EXPECT_EQ(s.backgroundDelayMs, 300);
}

TEST(SettingsReset, ModesKeepFolderAndOptionallyFiles) {
    ProgramSettings s;
    s.programFolder = "/somewhere";
    s.fileCount = 2;
    s.filePaths[0] = "a.btn";
    s.filePaths[1] = "b.btn";
    s.startFocus = 1;
    s.fileMask[0] = 1;
    resetSettings(s, ResetMode::KeepFiles);
    EXPECT_EQ(s.programFolder, "/somewhere");
    EXPECT_EQ(s.fileCount, 2);
    EXPECT_EQ(s.filePaths[1], "b.btn");
    EXPECT_EQ(s.startFocus, 7);
    EXPECT_EQ(s.fileMask[0], 0);
    resetSettings(s, ResetMode::All);
    EXPECT_EQ(s.programFolder, "/somewhere");
    EXPECT_EQ(s.fileCount, 0);
    EXPECT_EQ(s.filePaths[0], "");
}

TEST(SettingsFile, FailedSaveLeavesTheOldFile) {
    TempDir dir;
    ProgramSettings s = unusualSettings(dir);
    ASSERT_TRUE(saveSettings(s));
    const std::vector<unsigned char> before = readBytes(dir.file(kConfigFileName));

    test::FaultFileSystem fs;
    fs.failTempWritesAfter = 100;
    {
        test::ScopedFileSystem use(fs);
        ProgramSettings other = freshSettings(dir);
        EXPECT_FALSE(saveSettings(other));
    }
    EXPECT_EQ(readBytes(dir.file(kConfigFileName)), before);
    // No temporary file is left behind.
    EXPECT_EQ(dir.entries(), std::vector<std::string>{kConfigFileName});

    ProgramSettings nowhere = freshSettings(dir);
    nowhere.programFolder = dir.file("missing-folder");
    EXPECT_FALSE(saveSettings(nowhere));
}

// The file keeps names in Windows-1251, perhaps with '\\' separators; inside
// they are UTF-8. A name the file cannot hold exactly is refused, the file
// on disk untouched.
TEST(SettingsFile, PathsAreConvertedExactlyOrRefused) {
    TempDir dir;
    ProgramSettings s = freshSettings(dir);
    s.fileCount = 1;
    s.filePaths[0] = "Архив/Тальск №1.btn";
    ASSERT_TRUE(saveSettings(s));
    std::vector<unsigned char> b = readBytes(dir.file(kConfigFileName));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[190])),
              "\xC0\xF0\xF5\xE8\xE2/\xD2\xE0\xEB\xFC\xF1\xEA \xB9"
              "1.btn");
    b[190 + 5] = '\\'; // as a Windows copy writes it
    writeBytes(dir.file(kConfigFileName), b);
    ASSERT_TRUE(loadSettings(s));
    EXPECT_EQ(s.filePaths[0], "Архив/Тальск №1.btn");
    std::vector<std::string> unstorable = {"café.btn", "a😀.btn", "東京.btn", "caf\xE9.btn"};
#ifndef _WIN32
    // A separator on Windows, a letter here.
    unstorable.push_back("a\\b.btn");
#endif
    for (const std::string& name : unstorable) {
        s.filePaths[0] = name;
        EXPECT_EQ(firstUnstorablePath(s), name);
        EXPECT_FALSE(saveSettings(s)) << name;
        EXPECT_EQ(readBytes(dir.file(kConfigFileName)), b) << name;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{kConfigFileName});
    }
}

// A file that is there but not as this program writes it is damaged, and is
// set aside before new settings are saved.
TEST(SettingsFile, DamagedFileIsToldAndSetAside) {
    TempDir dir;
    ASSERT_TRUE(saveSettings(unusualSettings(dir)));
    const std::vector<unsigned char> good = readBytes(dir.file(kConfigFileName));
    std::vector<unsigned char> badCount = good;
    badCount[188] = 65;
    const struct {
        std::vector<unsigned char> bytes; // empty: no file
        SettingsFileState state;
    } cases[] = {
        {{}, SettingsFileState::Missing},
        {good, SettingsFileState::Sound},
        {std::vector<unsigned char>(700, 0x5A), SettingsFileState::Damaged},
        {{good.begin(), good.end() - 1}, SettingsFileState::Damaged},
        {badCount, SettingsFileState::Damaged},
    };
    for (const auto& c : cases) {
        TempDir here;
        ProgramSettings s = freshSettings(here);
        if (!c.bytes.empty()) writeBytes(here.file(kConfigFileName), c.bytes);
        SettingsFileState state = SettingsFileState::Sound;
        (void)loadSettings(s, &state);
        EXPECT_EQ(state, c.state) << c.bytes.size();
        if (state != SettingsFileState::Damaged) continue;
        ASSERT_TRUE(setAsideDamagedSettings(s));
        ASSERT_TRUE(saveSettings(s));
        EXPECT_EQ(readBytes(here.file(std::string(kConfigFileName) + ".bad")), c.bytes);
    }
}

} // namespace
} // namespace talsk
