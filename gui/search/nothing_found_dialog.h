#pragma once
// The "Результат поиска ..." box: a search found nothing. Below its message
// it may list names like the one searched for.

#include "base/settings.h"
#include "search/similar_search.h"

#include <vector>

class QWidget;

namespace talsk {

// Shows the message; ticking "Не выводить это сообщение в дальнейшем" turns
// settings.notFoundMessage off. Whether the results table is emptied
// (notFoundClearTable) is the caller's rule, not this dialog's. names, when
// there are any, are listed with their record counts (source says what
// they are); a click or Enter on one closes the box. Returns the index of
// that name, or -1.
int runNothingFoundDialog(QWidget* parent, ProgramSettings& settings,
                          const std::vector<SimilarName>& names = {},
                          NameSource source = NameSource::Surnames);

} // namespace talsk
