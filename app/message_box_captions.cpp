#include "app/message_box_captions.h"

#include <QApplication>
#include <QFont>

namespace talsk {

// QMessageBox widens itself to its caption measured in the font of the class
// "QMdiSubWindowTitleBar" plus 50 px. A title bar with an icon and three
// buttons needs about 100 px besides the caption, so the window manager would
// shorten "Тальский телефонный справочник" or "Подтверждение" to "...".
// Measuring the caption in a bold font half as large again gives that room.
void fitMessageBoxCaptions(QApplication& app) {
    QFont font = app.font();
    font.setBold(true);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 1.5);
    else
        font.setPixelSize(font.pixelSize() * 3 / 2);
    QApplication::setFont(font, "QMdiSubWindowTitleBar");
}

} // namespace talsk
