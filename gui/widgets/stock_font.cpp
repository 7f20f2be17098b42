#include "gui/widgets/stock_font.h"

namespace talsk {

QFont stockFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    return font;
}

} // namespace talsk
