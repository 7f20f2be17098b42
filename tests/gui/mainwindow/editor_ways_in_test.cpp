// The three ways into the record editor from the real main window: F2, Enter
// on a row of the results table, and Ins in the field search panel.

#include "base/base_file.h"
#include "base/settings.h"
#include "gui/editor/record_editor.h"
#include "gui/mainwindow/field_search_panel.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/results_table.h"
#include "gui/support/config_home.h"
#include "gui/support/demo_folder.h"
#include "gui/widgets/text.h"
#include "platform/cp1251.h"
#include "support/temp_dir.h"

#include "gui/support/modal.h"

#include <QLineEdit>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace talsk {
namespace {

class EditorWaysIn : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::makeDemoFolder(dir, settings, 500, 50, 10));
        settings.askToSaveChanges = 1;
    }

    test::TempDir dir;
    test::ConfigHome home{dir.file("config")};
    ProgramSettings settings;
};

QString shownText(const BaseSet& set, const SearchHit& hit, int slot) {
    const BaseTable& table = set.bases[size_t(hit.base)].table(hit.table);
    if (hit.record >= table.count) return {};
    return fromCp1251(fieldPointers(table, hit.record)[slot]);
}

TEST_F(EditorWaysIn, EachWayOpensAtItsRecord) {
    CMainFrame frame(settings);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    frame.loadFiles();
    ASSERT_GE(frame.baseSet().count(), 1);
    FieldSearchPanel& panel = *frame.fieldPanel();
    const int32_t people = frame.baseSet().bases[0].table(TableKind::Population).count;

    struct Way {
        const char* name;
        std::function<void()> enter;   // the user's keys; returns once the editor closed
        std::function<SearchHit()> at; // where the editor must open
        QString incomingName;          // the panel's text, or empty: the record's own
    };
    const Way ways[] = {
        {"F2",
         [&] {
             panel.input(2)->setFocus();
             QTest::keyClick(panel.input(2), Qt::Key_F2);
         },
         [] {
             return SearchHit{0, 0, TableKind::Population};
         },
         {}},
        {"Enter in the results",
         [&] {
             QTest::keyClicks(panel.input(2), "Bdfyjd"); // «Иванов» on the Latin layout
             QTest::keyClick(panel.input(2), Qt::Key_Return);
             ResultsTable& table = frame.results();
             ASSERT_GT(table.rowCount(), 2);
             table.setFocus();
             const int h = table.model().rowHeight();
             QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, {10, 2 * h + h / 2});
             QTest::keyClick(&table, Qt::Key_Return);
         },
         [&] { return frame.results().hitAt(2); },
         {}},
        {"Ins in the panel",
         [&] {
             panel.clearFields();
             panel.input(2)->setFocus();
             QTest::keyClicks(panel.input(2), "Cbljhjd"); // «Сидоров»
             QTest::keyClick(panel.input(2), Qt::Key_Insert);
         },
         [&] {
             return SearchHit{people, 0, TableKind::Population};
         },
         "Сидоров"},
    };
    for (const Way& way : ways) {
        SearchHit opened{-1, -1, TableKind::CityCodes};
        QString name;
        bool saveEnabled = true;
        QString askedOnExit;
        test::whenModal<RecordEditor>([&](RecordEditor* editor) {
            opened = editor->logic().position();
            name = editor->findChild<QLineEdit*>("field2")->text();
            saveEnabled = test::button(editor, "Сохранить")->isEnabled();
            if (!way.incomingName.isEmpty())
                test::whenModal<QMessageBox>([&](QMessageBox* box) {
                    askedOnExit = box->text();
                    box->button(QMessageBox::No)->click();
                });
            QTest::keyClick(editor, Qt::Key_Escape);
        });
        way.enter();
        const SearchHit expected = way.at();
        EXPECT_EQ(opened.record, expected.record) << way.name;
        EXPECT_EQ(opened.base, expected.base) << way.name;
        EXPECT_EQ(opened.table, expected.table) << way.name;
        EXPECT_FALSE(saveEnabled) << way.name; // nothing typed yet
        if (way.incomingName.isEmpty()) {
            EXPECT_EQ(name, shownText(frame.baseSet(), expected, 2)) << way.name;
        } else {
            EXPECT_EQ(name, way.incomingName) << way.name;
            // The panel's record is not in the file yet: leaving asks.
            EXPECT_EQ(askedOnExit, "Сохранить внесенные изменения") << way.name;
        }
    }
}

} // namespace
} // namespace talsk
