#pragma once
// Base units of a dialog, from the real font: bx is the average character
// width / 8 and by the character height / 16, so layouts given in them grow
// with the font as the platform's dialog units do.

class QWidget;

namespace talsk {

struct DialogUnits {
    double bx = 1.0;
    double by = 1.0;

    // n units, truncated to whole pixels.
    int x(int n) const { return static_cast<int>(n * bx); }
    int y(int n) const { return static_cast<int>(n * by); }
};

DialogUnits dialogUnits(const QWidget& widget);

} // namespace talsk
