// The rules behind "Настройки", without a window: the numeric edits with
// their ranges and refusals, the width total, the spins, reset and commit.

#include "gui/settings/settings_sheet_rules.h"

#include <gtest/gtest.h>

namespace talsk::sheet {
namespace {

ProgramSettings defaults() {
    ProgramSettings s;
    resetSettings(s, ResetMode::All);
    return s;
}

TEST(SettingsSheetRules, LogCapacityIsRefusedOrClamped) {
    const std::string range = integerRangeMessage(0, 64000);
    EXPECT_EQ(range, "Please enter an integer between 0 and 64000.");
    const struct {
        const char* text;
        int stored; // -1: refused
        std::string message;
    } cases[] = {{"5", 10, ""},
                 {"1500", 999, ""},
                 {"0", 10, ""},
                 {" 42 ", 42, ""},
                 {"64000", 999, ""},
                 {"abc", -1, "Please enter an integer."},
                 {"", -1, "Please enter an integer."},
                 {"4.5", -1, "Please enter an integer."},
                 {"-1", -1, range},
                 {"64001", -1, range}};
    for (const auto& c : cases) {
        ProgramSettings s = defaults();
        GeneralPage p = loadGeneral(s);
        p.confirmExit = true;
        p.logCapacity = c.text;
        const std::optional<Refusal> r = storeGeneral(p, s);
        if (c.stored < 0) {
            ASSERT_TRUE(r) << c.text;
            EXPECT_EQ(r->message, c.message) << c.text;
            EXPECT_EQ(r->control, 1049);
            EXPECT_EQ(s.confirmExit, 0) << "a refused page writes nothing";
        } else {
            ASSERT_FALSE(r) << c.text;
            EXPECT_EQ(s.searchLogCapacity, c.stored) << c.text;
            EXPECT_EQ(s.confirmExit, 1);
        }
    }
}

TEST(SettingsSheetRules, DelayBelowOneIsOneAndTextIsRefused) {
    for (auto [text, stored] : {std::pair{"0", 1}, {"-5", 1}, {"300", 300}, {"9999", 9999}}) {
        ProgramSettings s = defaults();
        ASSERT_FALSE(storeSearch({false, text, true}, s));
        EXPECT_EQ(s.backgroundDelayMs, stored) << text;
        EXPECT_EQ(s.backgroundSearch, 0);
        EXPECT_EQ(s.spacesSignificant, 1);
    }
    for (const char* bad : {"x", "1.5", ""}) {
        ProgramSettings s = defaults();
        const std::optional<Refusal> r = storeSearch({false, bad, true}, s);
        ASSERT_TRUE(r) << bad;
        EXPECT_EQ(r->page, 1);
        EXPECT_EQ(r->message, "Please enter an integer.");
        EXPECT_EQ(s.backgroundSearch, 1);
    }
}

TEST(SettingsSheetRules, WidthPercentsRoundTripAndZeroFallsBackToItsDefault) {
    ProgramSettings s = defaults();
    ResultsPage p = loadResults(s);
    EXPECT_EQ(p.widthPercents, (std::array<std::string, 5>{"7", "25", "28", "32", "8"}));
    EXPECT_EQ(totalWidthText(p.widthPercents), "Общая длина\t-   100 %");
    p.widthPercents = {"0", "12.5", "40", " 9", "1"};
    EXPECT_EQ(totalWidthText(p.widthPercents), "Общая длина\t-   62 %");
    ASSERT_FALSE(storeResults(p, s));
    EXPECT_FLOAT_EQ(s.columnWidthShares[0], 0.0f);
    EXPECT_FLOAT_EQ(s.columnWidthShares[1], 0.125f);
    EXPECT_EQ(loadResults(s).widthPercents[1], "12.5");
    SearchLog log;
    ProgramSettings window = defaults();
    ASSERT_TRUE(commitCopy(s, window, log));
    EXPECT_FLOAT_EQ(window.columnWidthShares[0], 0.07f);
    EXPECT_FLOAT_EQ(window.columnWidthShares[2], 0.40f);

    p.widthPercents[3] = "a";
    EXPECT_EQ(totalWidthText(p.widthPercents), "Общая длина\t-   53 %");
    const std::optional<Refusal> r = storeResults(p, s);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->control, 1134);
    EXPECT_EQ(r->message, "Please enter a number.");
}

TEST(SettingsSheetRules, SpinsStepWithinTheirRange) {
    EXPECT_EQ(stepSpin("256", 1, 10, 999), "257");
    EXPECT_EQ(stepSpin("999", 1, 10, 999), "999");
    EXPECT_EQ(stepSpin("5", -1, 10, 999), "10");
    EXPECT_EQ(stepSpin("x", 1, 1, 9999), "2");
    EXPECT_EQ(stepSpin("12.5", 1, 0, 99), "13");
    EXPECT_EQ(stepSpin("1e30", -1, 0, 99), "98");
}

TEST(SettingsSheetRules, MessageBoxesAreTickedWhileTheirNoFieldIsZero) {
    ProgramSettings s = defaults();
    s.noLoadErrorMessage = 1;
    LoadedPage p = loadLoaded(s);
    EXPECT_FALSE(p.loadErrorMessage);
    EXPECT_TRUE(p.readOnlyMessage);
    p.loadErrorMessage = true;
    p.readOnlyMessage = false;
    storeLoaded(p, s);
    EXPECT_EQ(s.noLoadErrorMessage, 0);
    EXPECT_EQ(s.noReadOnlyMessage, 1);
}

TEST(SettingsSheetRules, RestoreAllKeepsFilesAndCommitResizesTheLog) {
    ProgramSettings s = defaults();
    s.programFolder = "/data";
    s.fileCount = 1;
    s.filePaths[0] = "/data/a.btn";
    s.startFocus = 2;
    s.caseSensitive = 1;
    s.searchLogRect = {1, 2, 3, 4};
    s.searchLogCapacity = 50;
    restoreAll(s);
    EXPECT_EQ(s.fileCount, 1);
    EXPECT_EQ(s.filePaths[0], "/data/a.btn");
    EXPECT_EQ(s.programFolder, "/data");
    EXPECT_EQ(s.startFocus, 7);
    EXPECT_EQ(s.caseSensitive, 0);
    EXPECT_EQ(s.searchLogRect.right, 0);
    EXPECT_EQ(s.searchLogCapacity, 256);

    SearchLog log;
    ASSERT_TRUE(resizeLog(log, 256));
    for (int i = 0; i < 30; ++i) {
        FieldQueryText q;
        q.set(2, ("name" + std::to_string(i)).c_str());
        addLogEntry(log, q, i);
    }
    ProgramSettings window = defaults();
    s.searchLogCapacity = 20;
    ASSERT_TRUE(commitCopy(s, window, log));
    EXPECT_EQ(window.searchLogCapacity, 20);
    EXPECT_EQ(log.capacity, 20);
    EXPECT_EQ(log.count, 20);
    EXPECT_STREQ(log.field(19, 2), "name29");
}

} // namespace
} // namespace talsk::sheet
