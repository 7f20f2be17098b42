#include "gui/widgets/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>

namespace talsk {

DialogUnits dialogUnits(const QWidget& widget) {
    const QFontMetrics metrics(widget.font());
    // The platform's average width: the Latin letters' advance over 52, rounded.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int average = (letters / 26 + 1) / 2;
    DialogUnits units;
    units.bx = average / 8.0;
    units.by = metrics.height() / 16.0;
    return units;
}

} // namespace talsk
