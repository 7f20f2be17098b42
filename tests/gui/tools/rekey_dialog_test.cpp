// The key change over a connected file and over files of other versions.

#include "base/base_set.h"
#include "base/cipher.h"
#include "base/key_store.h"
#include "gui/support/modal.h"
#include "gui/tools/change_key_dialog.h"
#include "platform/cp1251.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>

namespace talsk {
namespace {

using test::button;
using test::labelText;
using test::typeText;
using test::whenModal;

// Presses OK and returns the text of the message box it brings up.
QString pressOk(QDialog& d) {
    QString said;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        said = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(button(&d, QStringLiteral("OK")), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty(); }, 10000));
    return said;
}

TEST(ChangeKeyDialog, ConnectedFileGetsItsNewKeyAfterAWrongOldOneIsRefused) {
    test::TempDir dir;
    const std::string file = dir.file("base.btn");
    test::writeBaseFile(file, 25, 5, 1, utf8ToCp1251("старый"));
    BaseSet set;
    set.folder = dir.path();
    PhoneBase base;
    base.path = "base.btn";
    base.folder = dir.path();
    base.key = deriveFileKey(utf8ToCp1251("старый"));
    ASSERT_TRUE(openBase(base, nullptr));
    set.bases.push_back(std::move(base));
    const KeyStore keys(dir.file("keys"));

    ChangeKeyDialog d(nullptr, set, &keys);
    d.chooseFile = [&](QWidget*) { return QString::fromStdString(file); };
    d.show();
    auto* oldKey = d.findChild<QLineEdit*>("oldKey");
    auto* newKey = d.findChild<QLineEdit*>("newKey");
    // The chooser opened at once.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !labelText(&d, "path").isEmpty(); }, 10000));
    EXPECT_TRUE(oldKey->isEnabled());
    EXPECT_TRUE(newKey->isEnabled());

    typeText(oldKey, QStringLiteral("не тот"));
    typeText(newKey, QStringLiteral("новый"));
    EXPECT_EQ(pressOk(d), QStringLiteral("Введен неверный ключ"));
    EXPECT_EQ(set.bases[0].key, deriveFileKey(utf8ToCp1251("старый")));

    oldKey->clear();
    typeText(oldKey, QStringLiteral("старый"));
    EXPECT_EQ(pressOk(d), QStringLiteral("Ключ изменен"));
    EXPECT_EQ(set.bases[0].key, deriveFileKey(utf8ToCp1251("новый")));
    EXPECT_TRUE(set.bases[0].connected);
    EXPECT_TRUE(labelText(&d, "path").isEmpty());
    EXPECT_TRUE(oldKey->text().isEmpty() && newKey->text().isEmpty());

    // Unchecking "Новый ключ:" empties and disables the new key box.
    typeText(newKey, QStringLiteral("x"));
    QTest::mouseClick(d.findChild<QCheckBox*>("newKeyUsed"), Qt::LeftButton);
    EXPECT_FALSE(newKey->isEnabled());
    EXPECT_TRUE(newKey->text().isEmpty());
    closeBase(set.bases[0]);

    PhoneBase reread;
    reread.key = deriveFileKey(utf8ToCp1251("новый"));
    const std::string path = file;
    EXPECT_TRUE(openBase(reread, &path));
    closeBase(reread);
}

TEST(ChangeKeyDialog, FileOfAnotherVersionIsRefusedWhenChosen) {
    test::TempDir dir;
    const std::string file = dir.file("old.btn");
    test::writeBaseFile(file, 5, 5, 0);
    test::setVersionWord(file, kVersion20b);
    BaseSet set;
    ChangeKeyDialog d(nullptr, set, nullptr);
    d.chooseFile = [&](QWidget*) { return QString::fromStdString(file); };
    QString said;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        said = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    d.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty(); }, 10000));
    EXPECT_EQ(said,
              QString::fromStdString(file) + QStringLiteral("\nНесоответствие версии файла."));
    EXPECT_TRUE(labelText(&d, "path").isEmpty());
}

} // namespace
} // namespace talsk
