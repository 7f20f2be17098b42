#pragma once
// The program's fonts: a sans serif with Cyrillic letters on every desktop,
// at the size the desktop's own font has, so that a user who asked for large
// text gets it here too.

#include <QFont>

namespace talsk {

// DejaVu Sans at the size of the desktop's font.
QFont programFont(const QFont& desktop);

// The one proportional font of the program's own controls (grid, image
// buttons, check lists): the program's font at the application's size, so
// that rows and buttons grow with the text.
QFont stockFont();

} // namespace talsk
