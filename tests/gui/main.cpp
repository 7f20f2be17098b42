// The widget tests need an application object; they run on the offscreen
// platform unless another one is asked for, and never touch the settings of
// the user who runs them: tests without a folder of their own share one made
// for the run.

#include "gui/support/config_home.h"
#include "support/temp_dir.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    const talsk::test::TempDir runFolder;
    const talsk::test::ConfigHome home(runFolder.file("config"));
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
