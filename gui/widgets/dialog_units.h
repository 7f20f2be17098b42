#pragma once
// The units layouts give their sizes in, from the real font, so that the
// layouts grow with the font as the platform's dialog units do. Both kinds
// come from the same two measures: the font's average character width (the
// platform's: its Latin letters averaged) and its height.

#include <QFont>

class QWidget;

namespace talsk {

struct DialogUnits {
    double bx = 1.0;
    double by = 1.0;

    // n units, truncated to whole pixels.
    int x(int n) const { return static_cast<int>(n * bx); }
    int y(int n) const { return static_cast<int>(n * by); }
};

// The dialogs' units: bx is the average character width / 8 and by the
// character height / 16.
DialogUnits dialogUnits(const QFont& font);
// The same of the widget's own font.
DialogUnits dialogUnits(const QWidget& widget);

// The main window's units (its size, the field panel, the search bars): these
// were laid out in pixels of the dialog font, which averages 6 by 13, so a
// unit is the average width / 6 by the height / 13.
DialogUnits frameUnits(const QFont& font);

} // namespace talsk
