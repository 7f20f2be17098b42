// "Сохранить как..." of the record editor into a new file, driven as a user
// would; the new file is read back from the disk.

#include "edit/new_base_file.h"
#include "gui/editor/new_base_file_dialog.h"
#include "gui/editor/record_editor.h"

#include "base/cipher.h"
#include "gui/support/modal.h"
#include "platform/cp1251.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace talsk;
using namespace talsk::test;

namespace {

TEST(NewBaseFileDialog, SaveAsIntoNewFileCreatesItAndAddsTheRecord) {
    TempDir dir;
    ProgramSettings settings;
    settings.saveOnClose = 0;
    BaseSet set;
    SearchSession search{set};
    set.folder = dir.path();
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

    RecordEditor editor(search, settings, {{0, 0, TableKind::Population}, std::nullopt});
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

namespace {

struct NewFileDialog : ::testing::Test {
    TempDir dir;
    ProgramSettings settings;
    BaseSet set;
    SearchSession search{set};

    void SetUp() override {
        set.folder = dir.path();
        for (const char* name : {"a.btn", "b.btn"}) {
            PhoneBase base;
            base.path = dir.file(name);
            fillBase(base, BaseContent{}, "");
            ASSERT_TRUE(saveBase(base, kMaskAllTables));
            closeBase(base);
            set.bases.emplace_back().path = dir.file(name);
            ASSERT_TRUE(openBase(set.bases.back(), nullptr));
            settings.filePaths[size_t(settings.fileCount++)] = dir.file(name);
        }
        set.bases[1].readOnly = 1;
        recountTotals(set);
    }
};

TEST_F(NewFileDialog, OffersWritableFilesAndRefusesOrAsksBeforeCreating) {
    std::ofstream(dir.file("c.btn")) << "old";
    NewBaseFileDialog dialog(set, &settings);
    dialog.show();
    auto* files = dialog.findChild<QComboBox*>();
    ASSERT_EQ(files->count(), 2); // the read-only file is not offered
    EXPECT_EQ(files->itemText(0), "Новый файл");
    EXPECT_EQ(files->itemText(1).toStdString(), dir.file("a.btn"));
    const auto boxes = dialog.findChildren<QLineEdit*>(); // name, key
    ASSERT_EQ(boxes.size(), 2);

    struct Case {
        QString name, key;
        const char* message;
        QMessageBox::StandardButton answer;
    } cases[] = {
        {"", "k", "Введите имя файла", QMessageBox::Ok},
        {".btn", "k", "Неверное имя файла", QMessageBox::Ok},
        {"c", "", "Введите ключ", QMessageBox::Ok},
        {QString::fromStdString(dir.file("b")), "k", "Файл используется программой",
         QMessageBox::Ok},
        {"nodir/x", "k", "Не возможно создать файл\nnodir/x.btn", QMessageBox::Ok},
        {"c", "k", "Файл уже существует\n перезаписать?", QMessageBox::No},
        {"c", "k", "Файл уже существует\n перезаписать?", QMessageBox::Yes},
    };
    for (const Case& c : cases) {
        boxes[0]->setText(c.name);
        boxes[1]->setText(c.key);
        QString shown;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            shown = box->text();
            box->button(c.answer)->click();
        });
        QTest::mouseClick(button(&dialog, "OK"), Qt::LeftButton);
        EXPECT_EQ(shown, QString::fromUtf8(c.message)) << c.name.toStdString();
        const bool created = c.answer == QMessageBox::Yes;
        EXPECT_EQ(dialog.isVisible(), !created) << c.message;
        EXPECT_EQ(set.count(), created ? 3 : 2) << c.message;
        if (!created) {
            std::ifstream old(dir.file("c.btn"));
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old") << c.message;
        }
    }
    EXPECT_EQ(dialog.resultName(), "c.btn");
    EXPECT_TRUE(dialog.created());
    PhoneBase back; // replaced by an empty base under the typed key
    back.path = dir.file("c.btn");
    back.key = deriveFileKey("k");
    ASSERT_TRUE(openBase(back, nullptr, {.access = BaseAccess::Reader}));
    EXPECT_EQ(back.table(TableKind::Population).count, 0);
}

TEST_F(NewFileDialog, FullSetOffersNoNewFileAndAStaleChoiceFallsBackToTheFirstEntry) {
    struct Case {
        int bases;
        int16_t remembered;
        int entries;
        QString selected;
    } cases[] = {
        {2, 9, 2, "Новый файл"},
        {2, 1, 2, QString::fromStdString(dir.file("a.btn"))},
        {kMaxFiles, 0, kMaxFiles - 1, QString::fromStdString(dir.file("a.btn"))},
    };
    for (const Case& c : cases) {
        while (set.count() < c.bases) {
            PhoneBase& extra = set.bases.emplace_back();
            extra.path = "f" + std::to_string(set.count()) + ".btn";
            extra.connected = 1;
        }
        settings.saveAsChoice = c.remembered;
        NewBaseFileDialog dialog(set, &settings);
        auto* files = dialog.findChild<QComboBox*>();
        EXPECT_EQ(files->count(), c.entries) << c.bases;
        EXPECT_EQ(files->currentText(), c.selected) << c.bases;
        EXPECT_EQ(dialog.findChild<QLineEdit*>()->isEnabled(), c.selected == "Новый файл");
        dialog.reject();
        EXPECT_EQ(settings.saveAsChoice, c.remembered); // Cancel keeps the choice
    }
}

} // namespace
