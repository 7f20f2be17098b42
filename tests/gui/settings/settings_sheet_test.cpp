// "Настройки" driven as a user would: refusals keep it open on the page at
// fault, restore-all, the enabling rules, and the key button that acts at once.

#include "base/base_set.h"
#include "base/key_store.h"
#include "gui/settings/settings_sheet.h"
#include "gui/support/modal.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>

namespace talsk {
namespace {

using test::button;
using test::labelText;
using test::whenModal;

class SettingsSheetTest : public testing::Test {
protected:
    SettingsSheetTest() : keys(dir.file("Key")) { resetSettings(settings, ResetMode::All); }

    template <class W> W* child(COptionsSheet& sheet, const QString& name) {
        auto* w = sheet.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    // The controls the sheet's rules know by number.
    template <class W> W* child(COptionsSheet& sheet, int control) {
        return child<W>(sheet, QString("id%1").arg(control));
    }
    void retype(COptionsSheet& sheet, int control, const QString& text) {
        QLineEdit* edit = child<QLineEdit>(sheet, control);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // OK expecting a refusal: its text, and the sheet still open.
    QString refusedOk(COptionsSheet& sheet) {
        QString text;
        whenModal<QMessageBox>([&text](QMessageBox* box) {
            text = box->text();
            box->accept();
        });
        QTest::mouseClick(button(&sheet, "OK"), Qt::LeftButton);
        EXPECT_TRUE(sheet.isVisible());
        EXPECT_EQ(sheet.result(), QDialog::Rejected);
        return text;
    }

    test::TempDir dir;
    KeyStore keys;
    ProgramSettings settings;
};

TEST_F(SettingsSheetTest, RefusedValuesKeepTheSheetOpenOnTheirPage) {
    COptionsSheet sheet(settings, keys);
    sheet.show();
    retype(sheet, 1049, "-1");
    EXPECT_EQ(refusedOk(sheet), "Please enter an integer between 0 and 64000.");
    retype(sheet, 1049, "ab");
    EXPECT_EQ(refusedOk(sheet), "Please enter an integer.");
    retype(sheet, 1049, "5");

    // A bad width sends the user back to its page, from anywhere.
    sheet.tabs()->setCurrentIndex(2);
    retype(sheet, 1130, "x");
    QString refusal;
    whenModal<QMessageBox>([&refusal](QMessageBox* box) {
        refusal = box->text();
        box->accept();
    });
    sheet.tabs()->setCurrentIndex(4);
    EXPECT_EQ(refusal, "Please enter a number.");
    EXPECT_EQ(sheet.tabs()->currentIndex(), 2) << "the page with the refused width is not left";
    EXPECT_EQ(refusedOk(sheet), "Please enter a number.");
    EXPECT_EQ(sheet.tabs()->currentIndex(), 2);
    EXPECT_EQ(sheet.focusWidget(), child<QLineEdit>(sheet, 1130));
    retype(sheet, 1130, "30");
    EXPECT_EQ(labelText(&sheet, "totalWidth"), "-   105 %");
    QTest::mouseClick(button(&sheet, "OK"), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.copy().searchLogCapacity, 10);
    EXPECT_FLOAT_EQ(sheet.copy().columnWidthShares[1], 0.30f);
}

TEST_F(SettingsSheetTest, EditsFollowTheirBoxesAndRestoreAllReloadsEveryPage) {
    settings.fileCount = 1;
    settings.filePaths[0] = "a.btn";
    settings.backgroundSearch = 0;
    COptionsSheet sheet(settings, keys);
    sheet.show();
    EXPECT_FALSE(child<QLineEdit>(sheet, 1072)->isEnabled());
    child<QCheckBox>(sheet, 1069)->click();
    EXPECT_TRUE(child<QLineEdit>(sheet, 1072)->isEnabled());
    retype(sheet, 1072, "99999"); // four characters at most
    EXPECT_EQ(child<QLineEdit>(sheet, 1072)->text(), "9999");
    QTest::keyClick(child<QLineEdit>(sheet, 1072), Qt::Key_Up); // the spin stops at 9999
    EXPECT_EQ(child<QLineEdit>(sheet, 1072)->text(), "9999");
    QTest::keyClick(child<QLineEdit>(sheet, 1072), Qt::Key_Down);
    EXPECT_EQ(child<QLineEdit>(sheet, 1072)->text(), "9998");
    child<QCheckBox>(sheet, 1038)->click();
    EXPECT_FALSE(child<QLineEdit>(sheet, 1127)->isEnabled());

    child<QCheckBox>(sheet, 1069)->click();
    child<QCheckBox>(sheet, 1088)->click();
    retype(sheet, 1049, "77");
    QTest::mouseClick(child<QPushButton>(sheet, "restoreAll"), Qt::LeftButton);
    EXPECT_TRUE(child<QCheckBox>(sheet, 1069)->isChecked());
    EXPECT_TRUE(child<QCheckBox>(sheet, 1088)->isChecked());
    EXPECT_TRUE(child<QCheckBox>(sheet, 1038)->isChecked());
    EXPECT_TRUE(child<QLineEdit>(sheet, 1127)->isEnabled());
    EXPECT_EQ(child<QLineEdit>(sheet, 1049)->text(), "256");
    EXPECT_EQ(sheet.copy().fileCount, 1);
    EXPECT_EQ(sheet.copy().filePaths[0], "a.btn");
}

TEST_F(SettingsSheetTest, ForgettingKeysActsAtOnceAndOnlyOnYes) {
    BaseSet set;
    PhoneBase base;
    base.path = "a.btn";
    base.key = "secret";
    base.keyed = 1;
    base.rememberKey = 1;
    set.bases.push_back(std::move(base));
    ASSERT_TRUE(keys.saveKeys(set));
    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        COptionsSheet sheet(settings, keys);
        sheet.show();
        sheet.tabs()->setCurrentIndex(4);
        QString asked;
        whenModal<QMessageBox>([&asked, answer](QMessageBox* box) {
            asked = box->text();
            box->button(answer)->click();
        });
        QTest::mouseClick(child<QPushButton>(sheet, "forgetKeys"), Qt::LeftButton);
        EXPECT_EQ(asked, "Удалить сохраненные ключи");
        sheet.reject();
        EXPECT_EQ(keys.lookupKey("a.btn"), answer == QMessageBox::Yes ? "" : "secret");
    }
}

} // namespace
} // namespace talsk
