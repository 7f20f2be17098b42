// F9 in the main window: what the sheet changes reaches the settings file
// and the window on OK, nothing on Cancel; Shift+F9 saves the widths shown.

#include "base/settings.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/results_table.h"
#include "gui/settings/settings_sheet.h"
#include "gui/support/config_home.h"
#include "gui/support/modal.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>

#include <cstdlib>

namespace talsk {
namespace {

using test::button;
using test::whenModal;

class SettingsSheetFrameTest : public testing::Test {
protected:
    void SetUp() override {
        resetSettings(settings, ResetMode::All);
        settings.programFolder = dir.path();
        frame = std::make_unique<CMainFrame>(settings);
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    ProgramSettings fromFile() const {
        ProgramSettings s;
        resetSettings(s, ResetMode::All);
        s.programFolder = dir.path();
        EXPECT_TRUE(loadSettings(s));
        return s;
    }

    // F9, then act on each page in turn and press OK or Cancel.
    void changeOnEveryPage(const char* finish) {
        whenModal<COptionsSheet>([finish](COptionsSheet* sheet) {
            auto box = [sheet](int id) {
                return sheet->findChild<QCheckBox*>(QString("id%1").arg(id));
            };
            auto retype = [sheet](int id, const char* text) {
                auto* edit = sheet->findChild<QLineEdit*>(QString("id%1").arg(id));
                edit->selectAll();
                QTest::keyClicks(edit, text);
            };
            box(1087)->click(); // confirm exit on
            retype(1049, "5");
            sheet->tabs()->setCurrentIndex(1);
            box(1086)->click(); // spaces significant on
            retype(1072, "450");
            sheet->tabs()->setCurrentIndex(2);
            box(1039)->click(); // mouse tracking off
            retype(1127, "0");
            sheet->tabs()->setCurrentIndex(3);
            box(1219)->click(); // save on close off
            sheet->tabs()->setCurrentIndex(4);
            box(1125)->click(); // no read-only message
            QTest::mouseClick(button(sheet, QString::fromUtf8(finish)), Qt::LeftButton);
        });
        QTest::keyClick(frame.get(), Qt::Key_F9);
    }

    test::TempDir dir;
    test::ConfigHome home{dir.file("config")};
    ProgramSettings settings;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(SettingsSheetFrameTest, OkSavesEveryPageAndAppliesIt) {
    changeOnEveryPage("OK");
    const ProgramSettings saved = fromFile();
    EXPECT_EQ(saved.confirmExit, 1);
    EXPECT_EQ(saved.searchLogCapacity, 10);
    EXPECT_EQ(saved.spacesSignificant, 1);
    EXPECT_EQ(saved.backgroundDelayMs, 450);
    EXPECT_EQ(saved.mouseTracking, 0);
    EXPECT_FLOAT_EQ(saved.columnWidthShares[0], 0.07f); // 0 % is no width
    EXPECT_EQ(saved.saveOnClose, 0);
    EXPECT_EQ(saved.noReadOnlyMessage, 1);
    EXPECT_EQ(frame->settings().backgroundDelayMs, 450);
    EXPECT_EQ(frame->searchLog().capacity, 10);
    EXPECT_FALSE(frame->results().model().hoverTracking());
}

TEST_F(SettingsSheetFrameTest, CancelLeavesTheFileAndTheWindowAsTheyWere) {
    QTest::keyClick(frame.get(), Qt::Key_F9, Qt::ShiftModifier);
    const std::vector<unsigned char> before = test::readBytes(configFilePath(settings));
    ASSERT_EQ(before.size(), 588u);
    changeOnEveryPage("Отмена");
    EXPECT_EQ(test::readBytes(configFilePath(settings)), before);
    EXPECT_EQ(frame->settings().confirmExit, 0);
    EXPECT_TRUE(frame->results().model().hoverTracking());
}

TEST_F(SettingsSheetFrameTest, SaveSettingsTakesTheColumnWidthsShown) {
    frame->settings().autoColumnWidths = 0;
    frame->runCommand(32809); // "Восстанов. настройки": fixed widths now
    frame->results().setColumnWidth(1, 123, true);
    QTest::keyClick(frame.get(), Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_EQ(fromFile().columnWidthsPx[1], 123);
    EXPECT_EQ(fromFile().autoColumnWidths, 0);
}

} // namespace
} // namespace talsk
