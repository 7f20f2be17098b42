// Where the window program keeps its files, and what its window says while
// it has no base file.

#include "app/program_folder.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/support/config_home.h"
#include "gui/support/demo_folder.h"
#include "support/temp_dir.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace talsk {
namespace {

TEST(ProgramFolder, DefaultFollowsTheXdgDataFolder) {
    const struct {
        const char *xdgDataHome, *home;
        std::string folder;
    } cases[] = {
        {"/data/", "/home/u", "/data/talsk"},
        {nullptr, "/home/u", "/home/u/.local/share/talsk"},
        {"", "/home/u", "/home/u/.local/share/talsk"},
        {"relative", "/home/u", "/home/u/.local/share/talsk"},
        {nullptr, nullptr, ""},
        {nullptr, "relative", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultProgramFolder(c.xdgDataHome, c.home), c.folder) << c.folder;

    test::TempDir dir; // a named folder is taken as it is; the default one is made
    EXPECT_EQ(chooseProgramFolder(dir.path()), dir.path());
#ifdef Q_OS_WIN
    const char* variable = "APPDATA"; // beside the key store
#else
    const char* variable = "XDG_DATA_HOME";
#endif
    const QByteArray saved = qgetenv(variable);
    qputenv(variable, dir.file("data").c_str());
    EXPECT_EQ(chooseProgramFolder(""), dir.file("data/talsk"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("data/talsk")));
    qputenv(variable, saved);
}

// What the terminal is told of a program folder that cannot be one.
TEST(ProgramFolder, AnArgumentThatIsNoFolderIsNamedAsSuch) {
    test::TempDir dir;
    test::writeBytes(dir.file("talsk.btn"), {1});
    EXPECT_EQ(folderProblem(dir.file("talsk.btn")),
              dir.file("talsk.btn") + ": not a folder; give the folder that holds the base files");
    EXPECT_EQ(folderProblem(dir.file("none")), "no such folder: " + dir.file("none"));
}

// The hint says where to put base files while none is connected, and goes
// once one is.
TEST(NoBaseHint, ShownWithoutABaseGoneWithOne) {
    test::TempDir demo;
    test::ConfigHome home{demo.file("config")};
    test::TempDir folder;
    ProgramSettings settings;
    ASSERT_TRUE(test::makeDemoFolder(demo, settings, 50, 5, 5));
    settings.programFolder = folder.path();
    CMainFrame frame(settings);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.loadFiles();
    auto* hint = frame.findChild<QLabel*>(QStringLiteral("noBaseHint"));
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().contains(QString::fromStdString(folder.path())));

    std::filesystem::copy_file(demo.file("talsk.btn"), folder.file("talsk.btn"));
    frame.loadFiles();
    EXPECT_FALSE(hint->isVisible());
}

} // namespace
} // namespace talsk
