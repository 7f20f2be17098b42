// "Сохранить как..." of the record editor into a new file, driven as a user
// would; the new file is read back from the disk.

#include "edit/dialogs/new_base_file_dialog.h"
#include "edit/dialogs/record_editor.h"

#include "base/cipher.h"
#include "dialogs/modal.h"
#include "platform/cp1251.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace talsk;
using namespace talsk::test;

namespace {

TEST(NewBaseFileDialog, SaveAsIntoNewFileCreatesItAndAddsTheRecord) {
    TempDir dir;
    ProgramSettings settings;
    settings.saveOnClose = 0;
    BaseSet set;
    set.folder = dir.path();
    set.settings = &settings;
    {
        BaseContent content;
        content.tables[0] = {{"111", "Ivanov", "Lenina", "1", "2", "", ""}};
        PhoneBase base;
        base.path = dir.file("a.btn");
        fillBase(base, content, "");
        ASSERT_TRUE(saveBase(base, kMaskAllTables));
    }
    set.bases.emplace_back().path = dir.file("a.btn");
    ASSERT_TRUE(openBase(set.bases.back(), nullptr));
    settings.filePaths[0] = set.bases[0].path;
    settings.fileCount = 1;
    recountTotals(set);

    RecordEditor editor(set, settings, {{0, 0, TableKind::Population}, std::nullopt});
    editor.show();
    whenModal<NewBaseFileDialog>([&](NewBaseFileDialog* dialog) {
        auto* files = dialog->findChild<QComboBox*>();
        ASSERT_EQ(files->count(), 2);
        EXPECT_EQ(files->currentText(), "Новый файл");
        const auto boxes = dialog->findChildren<QLineEdit*>(); // name, key
        ASSERT_EQ(boxes.size(), 2);
        auto* remember = dialog->findChildren<QCheckBox*>().at(1);
        EXPECT_FALSE(remember->isEnabled()); // no key typed yet
        typeText(boxes[1], "ключ");
        EXPECT_TRUE(remember->isEnabled());

        // The connected file's name: refused, and the dialog stays open.
        typeText(boxes[0], QString::fromStdString(dir.file("a")));
        whenModal<QMessageBox>([](QMessageBox* box) {
            EXPECT_EQ(box->text(), "Файл используется программой");
            box->accept();
        });
        QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible());

        boxes[0]->clear();
        typeText(boxes[0], "new"); // ".btn" is added, the set's folder taken
        QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
    });
    QTest::mouseClick(button(&editor, "Сохранить как..."), Qt::LeftButton);

    ASSERT_EQ(set.count(), 2);
    EXPECT_EQ(set.bases[1].path, "new.btn");
    EXPECT_EQ(settings.fileCount, 2);
    EXPECT_EQ(settings.filePaths[1], "new.btn");
    EXPECT_EQ(editor.logic().position().base, 1); // the editor shows the appended record

    PhoneBase back;
    back.path = dir.file("new.btn");
    back.key = deriveFileKey(utf8ToCp1251("ключ"));
    ASSERT_TRUE(openBase(back, nullptr, {.access = BaseAccess::Reader}));
    EXPECT_TRUE(back.keyed);
    const BaseContent content = contentOf(back);
    ASSERT_EQ(content.tables[0].size(), 1u);
    EXPECT_EQ(content.tables[0][0][1], "Ivanov");
    EXPECT_EQ(content.tables[0][0][0], "111");
}

} // namespace
