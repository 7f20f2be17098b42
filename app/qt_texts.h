#pragma once
// Qt's own texts (standard buttons of message boxes, edit boxes' menus) and
// its formatting of numbers and dates in Russian like the rest of the window.

class QCoreApplication;
class QTranslator;

namespace talsk {

// Makes Russia's locale the default, loads Qt's Russian translation into
// translator and installs it in app; false (English texts) when the
// translation is not installed.
bool installQtTexts(QCoreApplication& app, QTranslator& translator);

} // namespace talsk
