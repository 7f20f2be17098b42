#pragma once
// Qt's own texts (standard buttons of message boxes, edit boxes' menus) in
// Russian like the rest of the window.

class QCoreApplication;
class QTranslator;

namespace talsk {

// Loads Qt's Russian translation into translator and installs it in app;
// false (English texts) when the translation is not installed.
bool installQtTexts(QCoreApplication& app, QTranslator& translator);

} // namespace talsk
