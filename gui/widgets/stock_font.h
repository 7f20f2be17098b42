#pragma once
// The one proportional font of the program's own controls (grid, image
// buttons, check lists): a small sans serif with Cyrillic letters.

#include <QFont>

namespace talsk {

QFont stockFont();

} // namespace talsk
