// A stop signal (a logout, a service stop) ends the program as "Выход" does,
// without questions, and keeps what the user saw stored.

#include "app/shutdown_signals.h"
#include "base/base_file.h"
#include "gui/editor/record_editor.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/support/config_home.h"
#include "gui/support/demo_folder.h"
#include "gui/support/modal.h"
#include "support/base_fixtures.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace talsk {
namespace {

TEST(Shutdown, StopSignalEndsTheProgramWithItsSettingsAndLogWritten) {
    test::TempDir dir;
    test::ConfigHome home{dir.file("config")};
    ProgramSettings settings;
    ASSERT_TRUE(test::makeDemoFolder(dir, settings, 200, 20, 5));
    std::filesystem::create_directory(dir.file("tmp"));
    // A log in the older layout counts as changed: it is written back on closing.
    std::vector<unsigned char> oldLog = {0x20, 0x01, 1, 0, 0, 0};
    for (const char* s : {"", "", "", "", "Ivanov", "", "", ""})
        oldLog.insert(oldLog.end(), s, s + std::strlen(s) + 1);
    test::writeBytes(dir.file("search.log"), oldLog);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", QString::fromStdString(dir.file("tmp")));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(TALSK_APP_PATH, {QString::fromStdString(dir.path())});
    // The single-instance lock is taken after the handlers are in place.
    const auto locked = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(dir.file("tmp")))
            if (entry.path().extension() == ".lock") return true;
        return false;
    };
    ASSERT_TRUE(QTest::qWaitFor(locked, 30000));
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(std::filesystem::exists(dir.file("Orv   2000.cfg")));
    EXPECT_EQ(test::readBytes(dir.file("search.log")).at(0), 0x01);
}

TEST(Shutdown, StopSignalInTheEditorWritesTheStoredRecordWithoutAsking) {
    test::TempDir dir;
    test::ConfigHome home{dir.file("config")};
    ProgramSettings settings;
    ASSERT_TRUE(test::makeDemoFolder(dir, settings, 30, 5, 2));
    settings.confirmExit = settings.saveOnClose = settings.askToSaveChanges = 1;
    settings.confirmSaveRecord = settings.checkDuplicatePhone = 0;
    CMainFrame frame(settings);
    frame.show();
    frame.loadFiles();
    ShutdownSignals signals;
    ASSERT_TRUE(signals.installed());
    QObject::connect(&signals, &ShutdownSignals::requested, &frame, &CMainFrame::shutDown);
    // A question would block a logout: answered "Нет" here and counted as a fault.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "asked: " << box->text().toStdString();
            box->button(QMessageBox::No) ? box->button(QMessageBox::No)->click() : box->reject();
        }
    });
    guard.start(50);
    const auto stored = [&] {
        PhoneBase base;
        base.path = dir.file("talsk.btn");
        EXPECT_TRUE(openBase(base, nullptr, {.access = BaseAccess::Reader}));
        return test::contentOf(base).tables[0].back()[0] == "5550123";
    };

    bool storedBeforeSignal = true;
    test::whenModal<RecordEditor>([&](RecordEditor* editor) {
        QTest::mouseClick(test::button(editor, ">>|"), Qt::LeftButton);
        auto* phone = editor->findChild<QLineEdit*>("field1");
        test::typeText(phone, "5550123");
        QTest::mouseClick(test::button(editor, "Сохранить"), Qt::LeftButton);
        storedBeforeSignal = stored(); // it waits for the editor to close
        test::typeText(phone, "9");    // changed again, not stored
        ::kill(::getpid(), SIGTERM);
    });
    frame.openEditor({});
    EXPECT_FALSE(storedBeforeSignal);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_TRUE(stored());
}

} // namespace
} // namespace talsk
