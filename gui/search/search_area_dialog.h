#pragma once
// The "Область поиска" dialog: which connected files the search looks in,
// or which fields the find looks in.

#include "base/base_set.h"
#include "base/settings.h"
#include "search/search_engine.h"

class QWidget;

namespace talsk {

// One checked item per connected base whose mask byte is 1. OK: each listed
// base found again by its path gets 1 when checked, 0 when not (others keep
// their byte); returns true. Cancel: false, mask untouched.
bool runSearchAreaFilesDialog(QWidget* parent, const BaseSet& set, FileMask& mask);

// One item per field the table kind has (city codes have four), checked when
// its flag is 1. OK: every flag cleared, then set from the checked items;
// returns true. Cancel: false, fields untouched.
bool runSearchAreaFieldsDialog(QWidget* parent, FieldSelection& fields, TableKind kind);

} // namespace talsk
