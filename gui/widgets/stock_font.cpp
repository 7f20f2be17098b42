#include "gui/widgets/stock_font.h"

#include <QGuiApplication>

namespace talsk {

QFont programFont(const QFont& desktop) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    if (desktop.pointSizeF() > 0)
        font.setPointSizeF(desktop.pointSizeF());
    else if (desktop.pixelSize() > 0)
        font.setPixelSize(desktop.pixelSize());
    return font;
}

QFont stockFont() {
    return programFont(QGuiApplication::font());
}

} // namespace talsk
