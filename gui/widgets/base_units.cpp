#include "gui/widgets/base_units.h"

#include <QFontMetrics>

namespace talsk {

BaseUnits baseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The platform averages the widths of the Latin letters. Its base units
    // are those of the system font, 8 by 16 where the dialogs' own font
    // averages 6 by 13: the layouts' units are scaled from the dialog font so.
    const int letters =
        fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int average = (letters / 26 + 1) / 2;
    return BaseUnits{average / 6.0, fm.height() / 13.0};
}

} // namespace talsk
