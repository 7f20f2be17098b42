#include "gui/mainwindow/loading_host.h"

#include "gui/files/key_entry_dialog.h"
#include "gui/support/config_home.h"
#include "gui/support/modal.h"
#include "platform/cp1251.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>

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

// A file of the program folder whose name the settings cannot hold is told
// of once per name: a later start is silent about it, a new such name is
// told alone, and the caption is the one that name gets everywhere.
TEST(QtLoadingHost, UnstorableFolderNameIsToldOncePerNameAcrossStarts) {
    test::TempDir dir;
    const test::ConfigHome home(dir.file("config"));
    ProgramSettings settings;
    resetSettings(settings, ResetMode::All);
    settings.programFolder = dir.path();
    settings.connectFolderFiles = 1;

    // One start: a fresh set and window side; the message boxes shown, closed.
    auto start = [&] {
        QStringList told;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&told] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Ошибка"));
            told << box->text();
            box->accept();
        });
        poll.start();
        BaseSet set;
        QtLoadingHost host(nullptr, LoadingHooks{});
        (void)Loader(set, settings, host, nullptr).run();
        return told;
    };
    const struct {
        const char* added; // a file put into the folder before the start, or none
        QStringList told;
    } starts[] = {
        {"café.btn", {QString::fromStdString(unstorablePathMessage("café.btn"))}},
        {nullptr, {}},
        {"東京.btn", {QString::fromStdString(unstorablePathMessage("東京.btn"))}},
        {nullptr, {}},
    };
    for (const auto& s : starts) {
        SCOPED_TRACE(s.added ? s.added : "none added");
        if (s.added != nullptr) test::writeBytes(dir.file(s.added), {1});
        EXPECT_EQ(start(), s.told);
    }
}

} // namespace
} // namespace talsk
