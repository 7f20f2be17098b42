#include "gui/widgets/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>

namespace talsk {
namespace {

// The platform's average width: the Latin letters' advance over 52, rounded.
int averageWidth(const QFontMetrics& metrics) {
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (letters / 26 + 1) / 2;
}

DialogUnits unitsOf(const QFont& font, double perWidth, double perHeight) {
    const QFontMetrics metrics(font);
    return DialogUnits{averageWidth(metrics) / perWidth, metrics.height() / perHeight};
}

} // namespace

DialogUnits dialogUnits(const QFont& font) {
    return unitsOf(font, 8.0, 16.0);
}

DialogUnits dialogUnits(const QWidget& widget) {
    return dialogUnits(widget.font());
}

DialogUnits frameUnits(const QFont& font) {
    return unitsOf(font, 6.0, 13.0);
}

} // namespace talsk
