// talsk: the directory's window. `talsk [DIR] [FILE.btn...]`: DIR becomes the
// program's folder, where the settings, the search log and the base files are
// kept; by default the user's data folder for the program (see
// program_folder.h). Each FILE is connected where it lies.

#include "app/message_box_captions.h"
#include "app/program_folder.h"
#include "app/qt_texts.h"
#include "app/recovery_notices.h"
#include "app/shutdown_signals.h"
#include "app/single_instance.h"
#include "app/start_arguments.h"
#include "base/settings.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/widgets/stock_font.h"
#include "gui/widgets/text.h"
#include "platform/file.h"
#include "platform/memory_advice.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
const char* const kUsage =
    "Usage: talsk [DIR] [FILE.btn...]\n"
    "       talsk --version | --help\n\n"
    "Opens the window of the Talsk telephone directory in the program folder DIR\n"
    "(by default ~/.local/share/talsk, made at the first start), where it keeps its\n"
    "settings \"Orv   2000.cfg\", its search log \"search.log\" and the base files\n"
    "(.btn) it connects. Base files named on the command line are connected where\n"
    "they lie; a copy already running takes them. Its help opens with F1; see also\n"
    "man talsk.\n";

// Named when the default program folder cannot be made.
#ifdef Q_OS_WIN
const char* const kDefaultFolder = "%APPDATA%\\talsk";
#else
const char* const kDefaultFolder = "~/.local/share/talsk";
#endif

// Standard output written whole, or a failing status after saying why (a
// full disk), as talsk-cli does.
int written(int printed) {
    if (printed >= 0 && std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    const int error = errno != 0 ? errno : EIO;
    if (error != EPIPE) std::fprintf(stderr, "talsk: write error: %s\n", std::strerror(error));
    return 1;
}
} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that they work without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return written(std::printf("talsk %s\n", TALSK_VERSION));
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        return written(std::fputs(kUsage, stdout));
    // Before Qt starts its threads: the decode threads then share one heap,
    // which the loading backs with big pages.
    talsk::keepFreedLargeBlocks();
    QApplication app(argc, argv);
    app.setApplicationName("talsk");
    // The desktop's font size, in a face that has every Cyrillic letter.
    app.setFont(talsk::programFont(QApplication::font()));
    talsk::fitMessageBoxCaptions(app);
    // From here on a stop signal waits for the window instead of killing the program.
    talsk::ShutdownSignals shutdownSignals;
    QTranslator qtTexts;
    talsk::installQtTexts(app, qtTexts);
    talsk::RecoveryNotices recoveryNotices;
    std::vector<std::string> args;
    for (const QString& arg : app.arguments().mid(1))
        args.push_back(talsk::toNativePath(arg));
    // Files are made absolute here, before the program's folder becomes current.
    const talsk::StartArguments start = talsk::parseStartArguments(args);
    const std::string folder = talsk::chooseProgramFolder(start.folder);
    if (folder.empty() || !talsk::setCurrentFolder(folder)) {
        std::fprintf(stderr, "talsk: %s\n",
                     talsk::folderProblem(folder.empty() ? kDefaultFolder : folder).c_str());
        return 1;
    }

    talsk::ProgramSettings settings;
    talsk::resetSettings(settings, talsk::ResetMode::All);
    settings.programFolder = talsk::toNativePath(QDir::currentPath());
    // Without a file the defaults stay; a damaged one is set aside and said so.
    talsk::SettingsFileState state = talsk::SettingsFileState::Missing;
    (void)talsk::loadSettings(settings, &state);
    const bool damaged = state == talsk::SettingsFileState::Damaged;

    talsk::SingleInstance instance(talsk::SingleInstance::defaultName());
    const bool first = instance.claim();
    QStringList files;
    for (const std::string& file : start.files)
        files.append(talsk::fromNativePath(file));
    if (settings.singleInstance && !first) {
        if (files.isEmpty())
            instance.activateRunning();
        else
            instance.handFilesToRunning(files);
        return 0; // the running copy is the program
    }

    const bool setAside = damaged && talsk::setAsideDamagedSettings(settings);
    talsk::CMainFrame frame(settings);
    QObject::connect(&instance, &talsk::SingleInstance::activationRequested, &frame,
                     &talsk::CMainFrame::bringToFront);
    QObject::connect(&instance, &talsk::SingleInstance::filesHanded, &frame,
                     &talsk::CMainFrame::openBaseFiles);
    // A logout or a stop signal closes as "Выход" does, asking nothing.
    const auto endNow = [&frame] {
        frame.shutDown();
        QCoreApplication::exit(0);
    };
    QObject::connect(&shutdownSignals, &talsk::ShutdownSignals::requested, &frame, endNow);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frame, endNow);
    frame.show();
    recoveryNotices.showIn(&frame);
    // Loading starts once the window has been painted.
    QTimer::singleShot(0, &frame, [&frame, damaged, setAside, files] {
        if (damaged)
            QMessageBox::warning(&frame, "Ошибка",
                                 QString::fromStdString(talsk::damagedSettingsMessage(setAside)));
        if (files.isEmpty())
            frame.loadFiles();
        else
            frame.openBaseFiles(files);
    });
    return app.exec();
}
