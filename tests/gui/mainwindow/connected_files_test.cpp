// The connected-files dialog (F4) and the information dialog (F7) from the
// main window, driven as a user would.

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/key_store.h"
#include "base/settings.h"
#include "gui/files/connected_files_dialog.h"
#include "gui/files/file_info_dialog.h"
#include "gui/mainwindow/field_search_panel.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/results_table.h"
#include "gui/support/config_home.h"
#include "gui/support/demo_folder.h"
#include "gui/support/events.h"
#include "gui/support/modal.h"
#include "platform/cp1251.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

#include <cstdlib>

namespace talsk {
namespace {

using test::button;
using test::labelText;
using test::whenModal;

class ConnectedFilesFrame : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::makeDemoFolder(dir, settings, 300, 40, 4));
        // A second file in the folder, not connected yet.
        test::BaseContent content;
        content.tables[0] = {{"5550101", utf8ToCp1251("Щукинский А.Б."), "", "", "", "", ""}};
        PhoneBase second;
        second.path = dir.file("second.btn");
        test::fillBase(second, content, "");
        ASSERT_TRUE(saveBase(second, kMaskAllTables));
        closeBase(second);

        settings.connectFolderFiles = 0;
        settings.fileCount = 1;
        settings.filePaths[0] = "talsk.btn";
        settings.notFoundMessage = 0;
        settings.startFocus = 2;
    }

    std::unique_ptr<CMainFrame> openFrame() {
        auto frame = std::make_unique<CMainFrame>(settings);
        frame->show();
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        frame->loadFiles();
        return frame;
    }

    // Moves second.btn into the connected list, as ">" does.
    static void connectSecond(ConnectedFilesDialog* dialog) {
        auto* unused = dialog->findChild<QListWidget*>("unused");
        auto* listed = dialog->findChild<QListWidget*>("listed");
        ASSERT_EQ(unused->count(), 1);
        EXPECT_EQ(unused->item(0)->text(), "second.btn");
        unused->item(0)->setSelected(true);
        // The panel shows the selected file's header.
        EXPECT_EQ(labelText(dialog, "populationCount"), "1");
        EXPECT_EQ(labelText(dialog, "version"), "Версия 2.0");
        EXPECT_EQ(labelText(dialog, "notLoaded"), "Файл не загружен");
        QTest::mouseClick(button(dialog, ">"), Qt::LeftButton);
        ASSERT_EQ(listed->count(), 2);
        EXPECT_EQ(listed->item(1)->text(), "second.btn");
        EXPECT_EQ(unused->count(), 0);
    }

    int searchSurname(CMainFrame& frame, const QString& surname) {
        QLineEdit* input = frame.fieldPanel()->input(2);
        input->setFocus();
        input->clear();
        test::typeText(input, surname);
        QTest::keyClick(input, Qt::Key_Return);
        return frame.results().rowCount();
    }

    test::TempDir dir;
    test::ConfigHome home{dir.file("config")};
    ProgramSettings settings;
};

TEST_F(ConnectedFilesFrame, OkConnectsTheAddedFileWhichIsThenSearched) {
    auto frame = openFrame();
    ASSERT_EQ(frame->baseSet().count(), 1);
    EXPECT_EQ(searchSurname(*frame, "Щукинский"), 0);
    // Rows shown from the bases that OK closes: they go with them.
    ASSERT_GT(searchSurname(*frame, "Иванов"), 0);

    whenModal<ConnectedFilesDialog>([](ConnectedFilesDialog* dialog) {
        connectSecond(dialog);
        // The smaller form: the panel goes and the dialog shrinks.
        const int tall = dialog->height();
        QTest::mouseClick(button(dialog, "<< Меньше"), Qt::LeftButton);
        EXPECT_LT(dialog->height(), tall);
        EXPECT_FALSE(dialog->findChild<QLabel*>("populationCount")->isVisible());
        ASSERT_NE(button(dialog, "Больше >>"), nullptr);
        QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
    });
    QTest::keyClick(frame.get(), Qt::Key_F4);
    // The reload is posted: it runs once the dialog is gone.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame->baseSet().count() == 2 && frame->baseSet().bases[1].connected; }));
    EXPECT_TRUE(frame->baseSet().bases[0].connected);
    EXPECT_EQ(frame->results().rowCount(), 0);
    EXPECT_EQ(frame->baseSet().total, 345);
    EXPECT_EQ(searchSurname(*frame, "Щукинский"), 1);

    // The list reached the configuration file.
    ProgramSettings saved;
    saved.programFolder = dir.path();
    ASSERT_TRUE(loadSettings(saved));
    EXPECT_EQ(saved.fileCount, 2);
    EXPECT_EQ(saved.filePaths[1], "second.btn");
    EXPECT_EQ(saved.filesDialogExpanded, 0);
}

TEST_F(ConnectedFilesFrame, AKeyTypedForAnAddedFileConnectsItAndIsRemembered) {
    test::BaseContent content;
    content.tables[1] = {{"5550102", "", "", "", "", utf8ToCp1251("Завод"), ""}};
    PhoneBase locked;
    locked.path = dir.file("locked.btn");
    test::fillBase(locked, content, deriveFileKey(utf8ToCp1251("тайна")));
    ASSERT_TRUE(saveBase(locked, kMaskAllTables));
    closeBase(locked);
    auto frame = openFrame();
    whenModal<ConnectedFilesDialog>([](ConnectedFilesDialog* dialog) {
        auto* unused = dialog->findChild<QListWidget*>("unused");
        auto* listed = dialog->findChild<QListWidget*>("listed");
        auto* key = dialog->findChild<QLineEdit*>("key");
        unused->item(0)->setSelected(true); // locked.btn
        QTest::mouseClick(button(dialog, ">"), Qt::LeftButton);
        listed->item(1)->setSelected(true);
        EXPECT_EQ(labelText(dialog, "keyNotice"), "Требуется ключ");
        ASSERT_TRUE(key->isEnabled());
        EXPECT_TRUE(key->hasFocus()); // a keyed file not connected yet
        test::typeText(key, "тайна");
        QTest::keyClick(key, Qt::Key_Return); // keeps the key, stays open
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(key->text().isEmpty());
        QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
    });
    QTest::keyClick(frame.get(), Qt::Key_F4);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return frame->baseSet().count() == 2 && frame->baseSet().bases[1].connected; }));
    EXPECT_EQ(frame->baseSet().bases[1].path, "locked.btn");
    EXPECT_EQ(KeyStore(KeyStore::defaultPath()).lookupKey("locked.btn"),
              deriveFileKey(utf8ToCp1251("тайна")));
}

TEST_F(ConnectedFilesFrame, CancelLeavesTheSetAndTheSettingsAlone) {
    auto frame = openFrame();
    const char* pool = frame->baseSet().bases[0].tables[0].text.data();
    whenModal<ConnectedFilesDialog>([](ConnectedFilesDialog* dialog) {
        connectSecond(dialog);
        QTest::mouseClick(button(dialog, "Отмена"), Qt::LeftButton);
    });
    QTest::keyClick(frame.get(), Qt::Key_F4);
    ASSERT_TRUE(test::runPostedEvents()); // a reload, had one been posted, has run
    ASSERT_EQ(frame->baseSet().count(), 1);
    EXPECT_EQ(frame->baseSet().bases[0].tables[0].text.data(), pool); // not reloaded
    EXPECT_EQ(frame->settings().fileCount, 1);
    EXPECT_FALSE(fileSystem().attributes(dir.file(kConfigFileName)).exists);
}

TEST_F(ConnectedFilesFrame, ChangeInTheListOfFailedFilesOpensTheDialog) {
    settings.fileCount = 2;
    settings.filePaths[1] = "gone.btn";
    whenModal<QDialog>([](QDialog* failed) {
        EXPECT_EQ(failed->findChild<QListWidget*>("files")->item(0)->text(), "gone.btn");
        whenModal<ConnectedFilesDialog>([](ConnectedFilesDialog* dialog) {
            QTest::mouseClick(button(dialog, "Убрать несуществующие"), Qt::LeftButton);
            EXPECT_EQ(dialog->findChild<QListWidget*>("listed")->count(), 1);
            QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
        });
        QTest::mouseClick(button(failed, "Изменить"), Qt::LeftButton);
    });
    auto frame = openFrame();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return frame->baseSet().count() == 1 && frame->baseSet().bases[0].connected &&
               frame->settings().fileCount == 1;
    }));
    EXPECT_EQ(frame->settings().fileCount, 1);
    EXPECT_EQ(frame->baseSet().bases[0].path, "talsk.btn");
}

TEST_F(ConnectedFilesFrame, InformationShowsTheCountsOfEachFile) {
    settings.fileCount = 2;
    settings.filePaths[1] = "gone.btn";
    settings.noLoadErrorMessage = 1;
    auto frame = openFrame();
    whenModal<FileInfoDialog>([](FileInfoDialog* dialog) {
        EXPECT_EQ(labelText(dialog, "populationTotal"), "300");
        EXPECT_EQ(labelText(dialog, "organizationsTotal"), "40");
        EXPECT_EQ(labelText(dialog, "cityCodesTotal"), "4");
        EXPECT_EQ(labelText(dialog, "populationCount"), "300");
        EXPECT_EQ(labelText(dialog, "organizationsCount"), "40");
        EXPECT_EQ(labelText(dialog, "cityCodesCount"), "4");
        EXPECT_EQ(labelText(dialog, "recordsInFile"), "344");
        EXPECT_EQ(labelText(dialog, "status"), "Файл успешно подключен.");
        EXPECT_TRUE(labelText(dialog, "ratio").endsWith(" %"));
        // The missing file: nothing but dashes, and why.
        dialog->findChild<QListWidget*>("files")->setCurrentRow(1);
        EXPECT_EQ(labelText(dialog, "populationCount"), "-");
        EXPECT_EQ(labelText(dialog, "populationCreated"), "-");
        EXPECT_EQ(labelText(dialog, "recordsInFile"), "-");
        EXPECT_TRUE(labelText(dialog, "status").startsWith("Файл не найден."));
        QTest::mouseClick(button(dialog, "Выход"), Qt::LeftButton);
    });
    QTest::keyClick(frame.get(), Qt::Key_F7);
}

} // namespace
} // namespace talsk
