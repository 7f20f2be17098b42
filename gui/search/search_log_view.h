#pragma once
// What the search log dialog shows, without a window: the status texts and
// where the dialog opens.

#include "base/settings.h"
#include "search/search_log.h"

#include <string>

namespace talsk {

// "9:05      3.07.2023  -  Понедельник      Было найдено записей - 12", or
// empty for an entry without a stamp (UTF-8).
std::string logStampText(const LogStamp& stamp);
// "3 / 10", "3-5 / 10" for rows 2..4 selected of 10; empty for an empty log.
std::string logSelectionText(int firstRow, int lastRow, int count);
// The row selected at opening: position when 0 < position < count, else the last.
int initialLogRow(int position, int count);
// Whether a remembered rectangle lies at least partly on a screen of this size.
bool usableLogRect(const SettingsRect& rect, int screenWidth, int screenHeight);

} // namespace talsk
