#include "ui/base_units.h"

#include <QFontMetrics>

namespace talsk {

BaseUnits baseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The platform averages the widths of the Latin letters.
    const int letters = fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int average = (letters / 26 + 1) / 2;
    return BaseUnits{average / 8.0, fm.height() / 16.0};
}

} // namespace talsk
