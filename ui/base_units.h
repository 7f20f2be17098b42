#pragma once
// Dialog base units of a font: bx is an eighth of its average character
// width and by a sixteenth of its height, as the layouts give sizes in them.

#include <QFont>

namespace talsk {

struct BaseUnits {
    double bx = 1;
    double by = 1;
};

BaseUnits baseUnits(const QFont& font);

} // namespace talsk
