#pragma once
// Layout pieces the dialogs share.

class QBoxLayout;
class QDialog;
class QHBoxLayout;
class QWidget;

namespace talsk {

// A row with "OK" (default, accept) and "Отмена" (reject) at its right.
QHBoxLayout* okCancelRow(QDialog& dialog);

// Lays the dialog out as a list that keeps 8 bx at the sides, at least
// topBy above it (for top's contents) and bottomBy below it (for bottom's).
void layOutAroundList(QDialog& dialog, QWidget* list, QBoxLayout* top, int topBy,
                      QBoxLayout* bottom, int bottomBy);

} // namespace talsk
