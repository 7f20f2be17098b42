#include "app/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace talsk {

bool installQtTexts(QCoreApplication& app, QTranslator& translator) {
    // Numbers, sizes and dates that Qt formats itself (the file browser's
    // columns) follow the default locale.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    if (!translator.load(QLocale(QLocale::Russian), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return app.installTranslator(&translator);
}

} // namespace talsk
