#pragma once
// What a screen reader learns of the program's own controls: the grid as a
// table, the picture buttons as buttons, counters by what they count; and
// the names of inputs taken from the captions the user sees.

#include <QString>

class QLabel;
class QWidget;

namespace talsk {

// Makes the interfaces of the program's own controls; called by those
// controls, more than once does no harm.
void installAccessibility();

// A caption as a name: without the "&" of its key and the ":" or "," after it.
QString nameOfCaption(const QString& caption);
// Gives a control the name of its caption.
void nameAfterCaption(QWidget* control, const QString& caption);
// A label whose text is a count: its name says what it counts, then the count.
void nameCounter(QLabel* label, const QString& counts);

} // namespace talsk
