// The dBASE import window on the demo tables, driven as a user would.

#include "gui/support/modal.h"
#include "gui/tools/dbf_import_dialog.h"
#include "platform/cp1251.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"
#include "tools/dbf_demo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>

namespace talsk {
namespace {

using test::button;
using test::labelText;
using test::whenModal;

// The usual files are found in the program's folder with their usual
// columns; an unchecked table stays out; the run ends in its message and a
// base with the chosen tables.
TEST(DbfImportDialog, ImportsTheCheckedTablesOfTheProgramFolder) {
    test::TempDir dir;
    std::string failed;
    ASSERT_TRUE(writeDemoDbfTables(dir.path(), 1, failed));
    DbfImportDialog dialog(dir.path());
    int destinationAsked = 0;
    dialog.chooseDestination = [&] {
        ++destinationAsked;
        return QString::fromStdString(dir.file("new"));
    };
    dialog.show();
    auto* tabs = dialog.findChild<QTabWidget*>("tables");
    ASSERT_NE(tabs, nullptr);
    const QString nasel = QString::fromStdString(dir.file("nasel.dbf"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return labelText(tabs->widget(0), "path") == nasel; }))
        << labelText(tabs->widget(0), "path").toStdString();
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("База городов"));
    const QList<QComboBox*> lists = tabs->widget(0)->findChildren<QComboBox*>();
    ASSERT_FALSE(lists.isEmpty());
    EXPECT_EQ(lists.front()->currentText(), QStringLiteral("TELEFON"));
    EXPECT_EQ(lists.front()->itemText(0), QStringLiteral("Нет"));

    // A key is asked for once its box is checked.
    auto* keyed = dialog.findChild<QCheckBox*>("keyed");
    keyed->click();
    whenModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->text(), QStringLiteral("Введите ключ"));
        box->accept();
    });
    QTest::mouseClick(button(&dialog, QStringLiteral("Продолжить")), Qt::LeftButton);
    EXPECT_EQ(destinationAsked, 0);
    keyed->click();

    dialog.findChild<QCheckBox*>("useCityCodes")->click(); // no city codes
    EXPECT_FALSE(tabs->widget(2)->isEnabled());
    QString finished;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        finished = box->text();
        box->accept();
    });
    QTest::mouseClick(button(&dialog, QStringLiteral("Продолжить")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty() && !dialog.running(); }));
    EXPECT_EQ(finished, QStringLiteral("Конвертирование завершено"));
    EXPECT_EQ(button(&dialog, QStringLiteral("Выход"))->isEnabled(), true);

    PhoneBase base;
    test::loadFromBytes(base, test::readBytes(dir.file("new.btn")), {});
    EXPECT_EQ(base.connected, 1);
    EXPECT_EQ(base.tables[0].count, 300);
    EXPECT_EQ(base.tables[1].count, 80);
    EXPECT_EQ(base.tables[2].count, 0);
    closeBase(base);
}

} // namespace
} // namespace talsk
