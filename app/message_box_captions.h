#pragma once
// Message boxes wide enough for the window manager to show their whole caption.

class QApplication;

namespace talsk {

// Every QMessageBox of app shown afterwards is at least as wide as its caption
// needs in a title bar that also holds the window icon and three buttons.
void fitMessageBoxCaptions(QApplication& app);

} // namespace talsk
