// The merge dialog driven as a user would: files added and reordered, a key typed,
// the repeat search chosen, the merge run to its end.

#include "base/base_file.h"
#include "base/cipher.h"
#include "gui/support/modal.h"
#include "gui/tools/merge_dialog.h"
#include "platform/cp1251.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>

namespace talsk {
namespace {

using test::button;
using test::typeText;
using test::whenModal;

// Answers the next message box after checking its text.
void expectBox(const QString& text, bool* seen = nullptr) {
    whenModal<QMessageBox>([text, seen](QMessageBox* box) {
        EXPECT_EQ(box->text(), text);
        if (seen != nullptr) *seen = true;
        box->accept();
    });
}

std::string saveBase(const test::TempDir& dir, const char* name,
                     const std::vector<test::RecordTexts>& residents, const std::string& key) {
    test::BaseContent c;
    c.tables[0] = residents;
    PhoneBase base;
    base.path = dir.file(name);
    test::fillBase(base, c, key);
    EXPECT_TRUE(talsk::saveBase(base, kMaskAllTables));
    closeBase(base);
    return base.path;
}

TEST(MergeDialog, MergesTheListedFilesInTheirOrder) {
    test::TempDir dir;
    const test::RecordTexts ivanov = {"101", "Иванов", "", "", "", "", ""};
    const test::RecordTexts petrov = {"102", "Петров", "", "", "", "", ""};
    const test::RecordTexts sidorov = {"101", "Сидоров", "", "", "", "", ""};
    const std::string fileKey = deriveFileKey("k1");
    const std::string a = saveBase(dir, "a.btn", {ivanov, petrov}, {});
    const std::string b = saveBase(dir, "b.btn", {sidorov}, fileKey);

    MergeDialog d;
    d.chooseSources = [&] {
        return QStringList{QString::fromStdString(a), QString::fromStdString(b)};
    };
    d.chooseDestination = [&] { return QString::fromStdString(dir.file("out")); };
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto* list = d.findChild<QListWidget*>("files");
    auto* key = d.findChild<QLineEdit*>("fileKey");
    QTest::mouseClick(button(&d, QStringLiteral("Добавить ...")), Qt::LeftButton);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_TRUE(key->isEnabled()); // b.btn is keyed
    QTest::mouseClick(button(&d, QStringLiteral("Вверх")), Qt::LeftButton);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(d.list().entries()[0].path, b);

    // No key for b.btn yet: asked for, nothing starts.
    expectBox(QStringLiteral("Введите ключ для файла\n") + QString::fromStdString(b));
    QTest::mouseClick(button(&d, QStringLiteral("Продолжить")), Qt::LeftButton);
    EXPECT_FALSE(d.running());
    EXPECT_EQ(d.focusWidget(), key); // where the focus goes back to
    typeText(key, QStringLiteral("k1"));
    QTest::keyClick(key, Qt::Key_Return); // takes the key only
    EXPECT_EQ(d.list().entries()[0].fileKey, fileKey);
    EXPECT_FALSE(d.running());

    expectBox(QStringLiteral("Внимание! поиск повторов может занять много времени\nПри поиске "
                             "одинакового телефона, записи будут удаляться\nв файлах находящихся "
                             "ниже по списку"));
    QTest::mouseClick(d.findChild<QCheckBox*>("repeats"), Qt::LeftButton);
    EXPECT_TRUE(d.findChild<QCheckBox*>("samePhone")->isChecked());

    // The new key is wanted while its box is checked.
    expectBox(QStringLiteral("Введите ключ"));
    QTest::mouseClick(button(&d, QStringLiteral("Продолжить")), Qt::LeftButton);
    typeText(d.findChild<QLineEdit*>("newKey"), QStringLiteral("новый"));

    bool done = false;
    expectBox(QStringLiteral("Объединение файлов завершено"), &done);
    QTest::mouseClick(button(&d, QStringLiteral("Продолжить")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    EXPECT_FALSE(d.running());
    EXPECT_EQ(button(&d, QStringLiteral("Выход"))->isEnabled(), true);

    // b.btn first; a.btn's record with the same phone is left out.
    PhoneBase out;
    out.path = dir.file("out.btn");
    out.key = deriveFileKey(utf8ToCp1251("новый"));
    ASSERT_TRUE(readHeader(out) && loadTables(out, kMaskAllTables)) << out.status;
    const test::BaseContent got = test::contentOf(out);
    EXPECT_EQ(got.tables[0], (std::vector<test::RecordTexts>{sidorov, petrov}));
}

// A wrong key: the worker asks, Retry asks the key again, and the merge
// goes on with the right one.
TEST(MergeDialog, RetryAsksTheKeyOfAFileThatDidNotLoad) {
    test::TempDir dir;
    const test::RecordTexts ivanov = {"101", "Ivanov", "", "", "", "", ""};
    const std::string b = saveBase(dir, "b.btn", {ivanov}, deriveFileKey("right"));
    MergeDialog d;
    d.chooseSources = [&] { return QStringList{QString::fromStdString(b)}; };
    d.chooseDestination = [&] { return QString::fromStdString(dir.file("out.btn")); };
    d.show();
    QTest::mouseClick(button(&d, QStringLiteral("Добавить ...")), Qt::LeftButton);
    auto* key = d.findChild<QLineEdit*>("fileKey");
    typeText(key, QStringLiteral("wrong"));
    QTest::keyClick(key, Qt::Key_Return);
    QTest::mouseClick(d.findChild<QCheckBox*>("useNewKey"), Qt::LeftButton); // no new key

    bool done = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        EXPECT_EQ(box->text(), QString::fromStdString(b) + "\nОшибка при загрузке данных.");
        whenModal<QDialog>([&](QDialog* prompt) {
            EXPECT_EQ(prompt->windowTitle(), QStringLiteral("Декодирование"));
            typeText(prompt->findChild<QLineEdit*>("key"), QStringLiteral("right"));
            expectBox(QStringLiteral("Объединение файлов завершено"), &done);
            prompt->accept();
        });
        QTest::mouseClick(box->button(QMessageBox::Retry), Qt::LeftButton);
    });
    QTest::mouseClick(button(&d, QStringLiteral("Продолжить")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    PhoneBase out;
    out.path = dir.file("out.btn");
    ASSERT_TRUE(readHeader(out) && loadTables(out, kMaskAllTables)) << out.status;
    EXPECT_EQ(out.keyed, 0);
    EXPECT_EQ(test::contentOf(out).tables[0], (std::vector<test::RecordTexts>{ivanov}));
}

} // namespace
} // namespace talsk
