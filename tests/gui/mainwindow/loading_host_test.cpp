#include "gui/mainwindow/loading_host.h"

#include "gui/files/key_entry_dialog.h"
#include "gui/support/modal.h"
#include "platform/cp1251.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

namespace talsk {
namespace {

using test::button;
using test::typeText;
using test::whenModal;

// Loading a folder with a keyed file and a listed file that is missing: the
// key is asked in the key entry dialog, the missing file is listed after.
TEST(QtLoadingHost, LoaderAsksTheKeyAndListsTheFileThatFailed) {
    test::TempDir dir;
    test::writeBaseFile(dir.file("keyed.btn"), 30, 5, 2, utf8ToCp1251("тальск"));

    ProgramSettings settings;
    resetSettings(settings, ResetMode::All);
    settings.programFolder = dir.path();
    settings.fileCount = 1;
    settings.filePaths[0] = "missing.btn";
    settings.autoKeyEntry = 0;

    std::vector<QString> status;
    int refreshed = 0;
    LoadingHooks hooks;
    hooks.showStatus = [&](const QString& text) { status.push_back(text); };
    hooks.refreshViews = [&](BaseSet&) { ++refreshed; };
    QtLoadingHost host(nullptr, hooks);

    whenModal<KeyEntryDialog>([](KeyEntryDialog* d) {
        auto* list = d->findChild<QListWidget*>();
        ASSERT_EQ(list->count(), 1);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("keyed.btn"));
        QTest::keyClick(list, Qt::Key_Space); // remember it
        auto* key = d->findChild<QLineEdit*>("key");
        typeText(key, QStringLiteral("тальск"));
        QTest::keyClick(key, Qt::Key_Return); // kept; no other file lacks a key
        QTest::keyClick(key, Qt::Key_Return);
        // After the second pass the missing file is listed.
        whenModal<QDialog>([](QDialog* list) {
            QTest::mouseClick(list->findChild<QCheckBox*>("dontShow"), Qt::LeftButton);
            QTest::mouseClick(button(list, QStringLiteral("OK")), Qt::LeftButton);
        });
    });

    BaseSet set;
    const LoadReport report = Loader(set, settings, host, nullptr).run();
    ASSERT_EQ(set.bases.size(), 2u);
    EXPECT_FALSE(set.bases[0].connected);
    EXPECT_EQ(set.bases[0].status, StatusNotFound);
    EXPECT_TRUE(set.bases[1].connected);
    EXPECT_EQ(set.bases[1].rememberKey, 1);
    EXPECT_EQ(set.totalPopulation, 30);
    EXPECT_TRUE(report.keyEntryConfirmed);
    EXPECT_EQ(settings.noLoadErrorMessage, 1); // the list's check box, stored on OK
    EXPECT_EQ(refreshed, 1);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.front(), QStringLiteral("Подготовка к загрузке данных"));
    EXPECT_EQ(status.back(), QStringLiteral("Загрузка файлов завершена"));
}

} // namespace
} // namespace talsk
