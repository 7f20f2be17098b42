// talsk: the directory's window. `talsk [DIR]`: DIR becomes the program's
// folder (the current one by default), where the settings and the search log
// are kept.

#include "app/message_box_captions.h"
#include "app/qt_texts.h"
#include "app/shutdown_signals.h"
#include "app/single_instance.h"
#include "base/settings.h"
#include "platform/cp1251.h"
#include "ui/main_frame.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // Answered before Qt starts, so that it works without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("talsk %s\n", TALSK_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    app.setApplicationName("talsk");
    app.setFont(QFont("DejaVu Sans", 9));
    talsk::fitMessageBoxCaptions(app);
    // From here on a stop signal waits for the window instead of killing the program.
    talsk::ShutdownSignals shutdownSignals;
    QTranslator qtTexts;
    talsk::installQtTexts(app, qtTexts);
    const QStringList args = app.arguments();
    if (args.size() > 1 && !QDir::setCurrent(args[1])) {
        std::fprintf(stderr, "talsk: no such folder: %s\n", args[1].toLocal8Bit().constData());
        return 1;
    }

    talsk::ProgramSettings settings;
    talsk::resetSettings(settings, talsk::ResetMode::All);
    std::string folder = talsk::utf8ToCp1251(QDir::currentPath().toStdString());
    if (folder.size() > talsk::kMaxPathChars) folder.resize(talsk::kMaxPathChars);
    settings.programFolder = folder;
    (void)talsk::loadSettings(settings); // without a file the defaults stay

    talsk::SingleInstance instance(talsk::SingleInstance::defaultName());
    const bool first = instance.claim();
    if (settings.singleInstance && !first) {
        instance.activateRunning();
        return 0; // the running copy is the program
    }

    talsk::CMainFrame frame(settings);
    QObject::connect(&instance, &talsk::SingleInstance::activationRequested, &frame,
                     &talsk::CMainFrame::bringToFront);
    // A logout or a stop signal closes as "Выход" does, asking nothing.
    const auto endNow = [&frame] {
        frame.shutDown();
        QCoreApplication::exit(0);
    };
    QObject::connect(&shutdownSignals, &talsk::ShutdownSignals::requested, &frame, endNow);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frame, endNow);
    frame.show();
    // Loading starts once the window has been painted.
    QTimer::singleShot(0, &frame, [&frame] { frame.loadFiles(); });
    return app.exec();
}
