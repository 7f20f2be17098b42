#pragma once
// The units the panel and dialog layouts give their sizes in, from the font
// the dialogs are drawn with (its average character width and its height).

#include <QFont>

namespace talsk {

struct BaseUnits {
    double bx = 1;
    double by = 1;
};

BaseUnits baseUnits(const QFont& font);

} // namespace talsk
