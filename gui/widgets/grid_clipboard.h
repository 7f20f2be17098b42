#pragma once
// Copying a results grid's rows to the clipboard: the text of grid_text.h,
// built under the wait cursor (a million rows take a moment).

class QWidget;

namespace talsk {

class CPhoneGrid;
class PhoneGridModel;

// The selected rows, or the current row; nothing happens without either.
void copyGridRows(const PhoneGridModel& grid);
// The telephone of the current row alone.
void copyCurrentPhone(const PhoneGridModel& grid);

// Ctrl+C and Ctrl+Ins on a grid that has no command table of its own.
void addGridCopyKeys(CPhoneGrid& grid);

} // namespace talsk
