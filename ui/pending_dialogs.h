#pragma once
// Dialogs 152, 154 and 196, which come with their own files; these
// declarations stand in for those files' headers until they are in the tree.

#include "base/base_set.h"
#include "search/search_engine.h"
#include "search/search_log.h"

class QWidget;

namespace talsk {

// Dialog 154: the chosen entry's position, or -1. With combined given, the
// selected entries joined as the user asked; searchNow: "Поиск" was pressed.
int runSearchLogDialog(QWidget* parent, SearchLog& log, ProgramSettings& settings, int position,
                       FieldQueryText* combined = nullptr, bool* searchNow = nullptr);
// Dialog 152, files mode: true on OK (mask changed).
bool runSearchAreaFilesDialog(QWidget* parent, const BaseSet& set, FileMask& mask);
// Dialog 196.
void runNothingFoundDialog(QWidget* parent, ProgramSettings& settings);

} // namespace talsk
