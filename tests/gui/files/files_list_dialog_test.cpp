#include "base/load_status.h"
#include "gui/files/files_list_dialog.h"
#include "gui/support/modal.h"

#include <QCheckBox>
#include <QListWidget>

namespace talsk {
namespace {

using test::button;
using test::labelText;
using test::whenModal;

struct FilesListCase {
    bool readOnlyMode;
    bool showChange;
    bool tick;
    const char* press; // button text, or nullptr for Esc
    FilesListChoice choice;
    bool changeVisible;
    const char* heading;
};

TEST(FilesListDialog, ModesButtonsAndAnswers) {
    const std::vector<FileListEntry> files = {{"a.btn", StatusNotFound},
                                              {"b.btn", StatusLoadFailed}};
    const FilesListCase cases[] = {
        {false, true, true, "OK", FilesListChoice::Ok, true, "Не подключены следующие файлы:"},
        {false, true, false, "Изменить", FilesListChoice::Change, true,
         "Не подключены следующие файлы:"},
        {false, false, true, nullptr, FilesListChoice::Cancel, false,
         "Не подключены следующие файлы:"},
        {true, true, true, "OK", FilesListChoice::Ok, false, "Файлы открыты только для чтения:"},
    };
    for (const FilesListCase& c : cases) {
        SCOPED_TRACE(c.heading + std::string(" ") + (c.press ? c.press : "Esc"));
        whenModal<QDialog>([&c](QDialog* d) {
            EXPECT_EQ(labelText(d, "heading"), QString::fromUtf8(c.heading));
            EXPECT_EQ(d->findChild<QPushButton*>("change")->isVisible(), c.changeVisible);
            // The first file is selected and its status shown in full.
            EXPECT_EQ(labelText(d, "status").toStdString(), statusMessage(StatusNotFound, false));
            d->findChild<QListWidget*>("files")->setCurrentRow(1);
            EXPECT_EQ(labelText(d, "status").toStdString(), statusMessage(StatusLoadFailed, false));
            if (c.tick) QTest::mouseClick(d->findChild<QCheckBox*>("dontShow"), Qt::LeftButton);
            if (c.press != nullptr)
                QTest::mouseClick(button(d, QString::fromUtf8(c.press)), Qt::LeftButton);
            else
                QTest::keyClick(d, Qt::Key_Escape);
        });
        const FilesListAnswer answer =
            runFilesListDialog(nullptr, files, c.readOnlyMode, c.showChange);
        EXPECT_EQ(answer.choice, c.choice);
        EXPECT_EQ(answer.dontShowAgain, c.tick);
    }
    EXPECT_EQ(runFilesListDialog(nullptr, {}, false, true).choice, FilesListChoice::Cancel);
}

} // namespace
} // namespace talsk
