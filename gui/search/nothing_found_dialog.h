#pragma once
// The "Результат поиска ..." box: a search found nothing.

#include "base/settings.h"

class QWidget;

namespace talsk {

// Shows the message; ticking "Не выводить это сообщение в дальнейшем" turns
// settings.notFoundMessage off. Whether the results table is emptied
// (notFoundClearTable) is the caller's rule, not this dialog's.
void runNothingFoundDialog(QWidget* parent, ProgramSettings& settings);

} // namespace talsk
