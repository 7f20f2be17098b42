// The configuration file sample "Orv   2000.cfg": every option away from its
// default, three connected files (one with a path of the full 260
// characters).

#include "base/settings.h"
#include "formats/sample_files.h"
#include "support/settings_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

std::vector<unsigned char> savedImage(ProgramSettings settings) {
    TempDir dir;
    settings.programFolder = dir.path();
    EXPECT_TRUE(saveSettings(settings));
    return readBytes(configFilePath(settings));
}

TEST(SettingsSample, WriterReproducesTheSample) {
    ASSERT_EQ(pathCharacters(kLongSettingsPath), kMaxPathChars);
    expectSampleBytes("settings.cfg", savedImage(unusualSettings()));
}

TEST(SettingsSample, ReadsEveryValue) {
    TempDir dir;
    ProgramSettings read;
    read.programFolder = dir.path();
    writeBytes(configFilePath(read), sampleBytes("settings.cfg"));
    ASSERT_TRUE(loadSettings(read));
    EXPECT_EQ(read.fileCount, 3);
    EXPECT_EQ(read.filePaths[1], "Архив/Тальск 2001.btn");
    EXPECT_EQ(read.filePaths[2], kLongSettingsPath);
    EXPECT_EQ(read.latinToCyrillic, 0);
    EXPECT_EQ(read.backgroundDelayMs, 9999);
    EXPECT_EQ(read.windowPlacement.maxX, -32000);
    // Saved again, every value lands where the sample has it.
    EXPECT_EQ(savedImage(read), sampleBytes("settings.cfg"));
}

} // namespace
} // namespace talsk::test
