// The main window's help and About box.

#include "search/dialogs/about_box.h"
#include "ui/help_window.h"
#include "ui/main_frame.h"

namespace talsk {

void CMainFrame::openAbout() {
    runAboutBox(this);
}

void CMainFrame::openHelp(const QString& topic) {
    showHelp(this, topic);
}

} // namespace talsk
