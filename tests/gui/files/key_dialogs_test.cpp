#include "gui/files/key_entry_dialog.h"
#include "gui/files/key_prompt_dialog.h"
#include "gui/support/modal.h"
#include "platform/cp1251.h"

#include <QLineEdit>
#include <QListWidget>

namespace talsk {
namespace {

using test::button;
using test::labelText;
using test::typeText;
using test::whenModal;

void clickRow(QListWidget* list, int row) {
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center() + QPoint(r.width() / 4, 0));
}

// Enter keeps a key and offers the next file without one; leaving the key
// box keeps its text for the file selected; OK closes once a key exists.
TEST(KeyEntryDialog, KeysGoToTheFilesTheyWereTypedFor) {
    std::vector<KeyEntryFile> files = {{"a.btn", StatusKeyMissing, false, {}},
                                       {"b.btn", StatusLoadFailed, true, {}},
                                       {"c.btn", StatusKeyMissing, false, {}}};
    whenModal<KeyEntryDialog>([](KeyEntryDialog* d) {
        auto* list = d->findChild<QListWidget*>();
        auto* key = d->findChild<QLineEdit*>("key");
        EXPECT_EQ(labelText(d, "status"), QStringLiteral("Не введен ключ."));
        EXPECT_TRUE(key->hasFocus());

        typeText(key, QStringLiteral("тальск"));
        QTest::keyClick(key, Qt::Key_Return);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(list->currentRow(), 1);
        EXPECT_EQ(labelText(d, "status"), QStringLiteral("Ошибка при загрузке данных."));

        clickRow(list, 0); // key given, status 6: nothing to say
        EXPECT_EQ(labelText(d, "status"), QString());
        QTest::keyClick(list, Qt::Key_Space); // remember a.btn's key

        clickRow(list, 2);
        typeText(key, QStringLiteral("k3"));
        clickRow(list, 1);
        EXPECT_EQ(key->text(), QString());
        QTest::mouseClick(button(d, QStringLiteral("OK")), Qt::LeftButton);
    });
    ASSERT_TRUE(runKeyEntryDialog(nullptr, files));
    EXPECT_EQ(files[0].typedKey, utf8ToCp1251("тальск"));
    EXPECT_EQ(files[1].typedKey, "");
    EXPECT_EQ(files[2].typedKey, "k3");
    EXPECT_TRUE(files[0].remember);
    EXPECT_TRUE(files[1].remember);
    EXPECT_FALSE(files[2].remember);
}

TEST(KeyEntryDialog, OkWithoutAnyKeyStaysOpenAndCancelAnswersNothing) {
    std::vector<KeyEntryFile> files = {{"a.btn", StatusKeyMissing, true, "old"}};
    whenModal<KeyEntryDialog>([](KeyEntryDialog* d) {
        auto* key = d->findChild<QLineEdit*>("key");
        typeText(key, QString(40, QChar(u'ж')));
        EXPECT_EQ(key->text().size(), 32); // the key boxes take 32 characters
        key->clear();
        QTest::mouseClick(button(d, QStringLiteral("OK")), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());
        QTest::mouseClick(button(d, QStringLiteral("Отмена")), Qt::LeftButton);
    });
    EXPECT_FALSE(runKeyEntryDialog(nullptr, files));
    EXPECT_EQ(files[0].typedKey, "");
    EXPECT_FALSE(files[0].remember);

    std::vector<KeyEntryFile> none;
    EXPECT_FALSE(runKeyEntryDialog(nullptr, none)); // closes at once, nothing shown
}

TEST(KeyPromptDialog, OkReturnsTheTypedKeyCancelLeavesItAlone) {
    const std::string path = "Тальск.btn"; // paths are the system's UTF-8
    std::string typed = "before";
    bool remember = true;
    whenModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(labelText(d, "file"), QStringLiteral("Тальск.btn"));
        QTest::mouseClick(button(d, QStringLiteral("Отмена")), Qt::LeftButton);
    });
    EXPECT_FALSE(runKeyPromptDialog(nullptr, path, typed, remember));
    EXPECT_EQ(typed, "before");

    whenModal<QDialog>([](QDialog* d) {
        typeText(d->findChild<QLineEdit*>("key"), QStringLiteral("ключ"));
        QTest::keyClick(d->findChild<QLineEdit*>("key"), Qt::Key_Return);
    });
    EXPECT_TRUE(runKeyPromptDialog(nullptr, path, typed, remember));
    EXPECT_EQ(typed, utf8ToCp1251("ключ"));
    EXPECT_FALSE(remember);
}

} // namespace
} // namespace talsk
