// Base files opened from anywhere: `talsk FILE.btn`, a second start handing
// its files to the running copy, and the window connecting them in place.

#include "app/single_instance.h"
#include "app/start_arguments.h"
#include "base/settings.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/support/demo_folder.h"
#include "support/temp_dir.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace talsk {
namespace {

// A full name as the system writes it: Windows turns '/' into '\\'.
std::string native(std::string path) {
#ifdef Q_OS_WIN
    for (char& c : path)
        if (c == '/') c = '\\';
#endif
    return path;
}

TEST(StartArguments, FilesAndTheFolderApart) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.file("d"));
    test::writeBytes(dir.file("x.btn"), {1});
    test::writeBytes(dir.file("notes"), {1});
    const std::string cwd = std::filesystem::current_path().string();
    const struct {
        std::vector<std::string> args;
        std::string folder;
        std::vector<std::string> files;
    } cases[] = {
        {{}, "", {}},
        {{dir.file("d")}, dir.file("d"), {}},
        {{dir.file("x.btn")}, "", {dir.file("x.btn")}},
        {{dir.file("d"), dir.file("x.btn"), dir.file("notes")},
         dir.file("d"),
         {dir.file("x.btn"), dir.file("notes")}},
        {{dir.file("missing.BTN")}, "", {dir.file("missing.BTN")}},
        {{dir.file("nowhere")}, dir.file("nowhere"), {}}, // says "no such folder" as before
        {{dir.file("d"), dir.file("e")}, dir.file("d"), {dir.file("e")}},
        {{"rel.btn"}, "", {cwd + "/rel.btn"}},
    };
    for (const auto& c : cases) {
        const StartArguments start = parseStartArguments(c.args);
        EXPECT_EQ(start.folder, c.folder) << c.args.size();
        std::vector<std::string> files;
        for (const std::string& f : c.files)
            files.push_back(native(f));
        EXPECT_EQ(start.files, files) << c.args.size();
    }
}

TEST(SingleInstance, ASecondStartHandsItsFilesToTheFirst) {
    const QString name = QString("talsk-test-files-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(name);
    ASSERT_TRUE(first.claim());
    SingleInstance second(name);
    EXPECT_FALSE(second.claim());
    QSignalSpy handed(&first, &SingleInstance::filesHanded);
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    const QStringList files = {QStringLiteral("/home/u/Справочник.btn"),
                               QStringLiteral("/tmp/odd\nname%20 end.btn"),
                               QStringLiteral("/tmp/activate")};
    EXPECT_TRUE(second.handFilesToRunning(files, 300));
    ASSERT_TRUE(QTest::qWaitFor([&] { return handed.count() > 0; }, 3000));
    EXPECT_EQ(handed.count(), 1);
    EXPECT_EQ(handed.at(0).at(0).toStringList(), files);
    EXPECT_EQ(activated.count(), 1);
}

// The frame connects a file of another folder where it lies, without copying
// it; a file that is no base file leaves the list as it was.
TEST(OpenBaseFiles, ConnectsAFileOutsideTheProgramFolder) {
    test::TempDir elsewhere;
    test::TempDir folder;
    ProgramSettings settings;
    ASSERT_TRUE(test::makeDemoFolder(elsewhere, settings, 40, 5, 5));
    settings.programFolder = folder.path();
    settings.noLoadErrorMessage = 1;
    CMainFrame frame(settings);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.loadFiles();
    EXPECT_EQ(frame.baseSet().count(), 0);

    frame.openBaseFiles({QString::fromStdString(elsewhere.file("talsk.btn"))});
    ASSERT_EQ(frame.baseSet().count(), 1);
    EXPECT_TRUE(frame.baseSet().bases[0].connected);
    EXPECT_EQ(frame.settings().fileCount, 1);
    EXPECT_EQ(frame.settings().filePaths[0], elsewhere.file("talsk.btn"));
    EXPECT_FALSE(std::filesystem::exists(folder.file("talsk.btn")));

    test::writeBytes(elsewhere.file("bad.btn"), {'n', 'o', 't', ' ', 'a', ' ', 'b', 'a', 's', 'e'});
    frame.openBaseFiles({QString::fromStdString(elsewhere.file("bad.btn"))});
    EXPECT_EQ(frame.baseSet().count(), 1);
    EXPECT_EQ(frame.settings().fileCount, 1);
    EXPECT_TRUE(frame.baseSet().bases[0].connected);
}

// The program itself: `talsk DIR`, then `talsk DIR FILE.btn` from elsewhere;
// the first copy connects the file and keeps it in its list. It is told apart
// by a display of its own and stopped by a signal, neither of which Windows has.
#ifndef Q_OS_WIN
TEST(OpenBaseFiles, ASecondProgramHandsItsFileToTheFirst) {
    test::TempDir dir;
    test::TempDir elsewhere;
    ProgramSettings settings;
    ASSERT_TRUE(test::makeDemoFolder(elsewhere, settings, 40, 5, 5));
    std::filesystem::create_directory(dir.file("tmp"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", QString::fromStdString(dir.file("tmp")));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.file("config")));
    // A display of its own: no running program of the session answers.
    env.insert("DISPLAY", QString(":t%1").arg(QCoreApplication::applicationPid()));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(TALSK_APP_PATH, {QString::fromStdString(dir.path())});
    const auto locked = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(dir.file("tmp")))
            if (entry.path().extension() == ".lock") return true;
        return false;
    };
    ASSERT_TRUE(QTest::qWaitFor(locked, 30000));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(TALSK_APP_PATH, {QString::fromStdString(dir.path()),
                                  QString::fromStdString(elsewhere.file("talsk.btn"))});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0);

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    ProgramSettings saved;
    saved.programFolder = dir.path();
    ASSERT_TRUE(loadSettings(saved));
    ASSERT_EQ(saved.fileCount, 1);
    EXPECT_EQ(saved.filePaths[0], elsewhere.file("talsk.btn"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("talsk.btn")));
}
#endif

} // namespace
} // namespace talsk
