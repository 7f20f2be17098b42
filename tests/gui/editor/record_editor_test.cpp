// The record editor's window driven as a user would, over a real base file.

#include "gui/editor/record_editor.h"

#include "gui/support/modal.h"
#include "platform/cp1251.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <QLineEdit>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace talsk;
using namespace talsk::test;

namespace {

struct RecordEditorWindow : ::testing::Test {
    TempDir dir;
    BaseSet set;
    SearchSession search{set};
    ProgramSettings settings;

    void SetUp() override {
        settings.saveOnClose = 0;
        settings.confirmSaveRecord = 1;
        settings.checkDuplicatePhone = 0;
        settings.askToSaveChanges = 1;
        BaseContent content;
        content.tables[0] = {{"111", "Ivanov", "Lenina", "1", "2", "", ""},
                             {"222", "Petrov", "Mira", "3", "4", "", ""}};
        PhoneBase base;
        base.path = dir.file("a.btn");
        fillBase(base, content, "");
        ASSERT_TRUE(saveBase(base, kMaskAllTables));
        closeBase(base);
        set.bases.emplace_back().path = dir.file("a.btn");
        ASSERT_TRUE(openBase(set.bases.back(), nullptr));
        recountTotals(set);
    }

    std::vector<RecordTexts> onDisk() {
        PhoneBase base;
        base.path = dir.file("a.btn");
        EXPECT_TRUE(openBase(base, nullptr, {.access = BaseAccess::Reader}));
        return contentOf(base).tables[0];
    }

    // Answers the next message box with a button, checking its caption and text.
    static void answer(const char* caption, const char* text, QMessageBox::StandardButton b) {
        whenModal<QMessageBox>([=](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QString::fromUtf8(caption));
            EXPECT_EQ(box->text(), QString::fromUtf8(text));
            box->button(b)->click();
        });
    }
};

TEST_F(RecordEditorWindow, TypedRecordIsSavedAfterConfirmationAndReachesTheFile) {
    RecordEditor editor(search, settings, {{1, 0, TableKind::Population}, std::nullopt});
    editor.show();
    auto* name = editor.findChild<QLineEdit*>("field2");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Petrov");
    QPushButton* save = button(&editor, "Сохранить");
    ASSERT_NE(save, nullptr);
    EXPECT_FALSE(save->isEnabled()); // nothing typed yet

    name->selectAll();
    typeText(name, "Смирнов");
    ASSERT_TRUE(save->isEnabled());
    // "No" leaves the file as it was and the typed text in the box.
    answer("Подтверждение", "Сохранить данные?", QMessageBox::No);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(onDisk()[1][1], "Petrov");
    EXPECT_EQ(name->text(), "Смирнов");

    answer("Подтверждение", "Сохранить данные?", QMessageBox::Yes);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_FALSE(save->isEnabled());

    // Typed again: "Выход" asks, and Cancel keeps the window open.
    typeText(name, "a");
    answer("Редактирование", "Сохранить внесенные изменения", QMessageBox::Cancel);
    QTest::mouseClick(button(&editor, "Выход"), Qt::LeftButton);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_FALSE(editor.closeResult().has_value());
    answer("Редактирование", "Сохранить внесенные изменения", QMessageBox::No);
    QTest::mouseClick(button(&editor, "Выход"), Qt::LeftButton);
    EXPECT_FALSE(editor.isVisible());
    ASSERT_TRUE(editor.closeResult().has_value());
    EXPECT_EQ(editor.closeResult()->changedBases, std::vector<int>{0});
    EXPECT_FALSE(editor.closeResult()->recordsAddedOrRemoved);

    const std::vector<RecordTexts> disk = onDisk();
    ASSERT_EQ(disk.size(), 2u);
    EXPECT_EQ(disk[1][1], utf8ToCp1251("Смирнов"));
    EXPECT_EQ(disk[1][0], "222");
    EXPECT_EQ(disk[0][1], "Ivanov");
}

} // namespace
