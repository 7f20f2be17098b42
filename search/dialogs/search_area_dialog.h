#pragma once
// Dialog 152 "Область поиска" in its files mode: which connected files the
// search looks in.

#include "base/base_set.h"
#include "base/settings.h"

class QWidget;

namespace talsk {

// One checked item per connected base whose mask byte is 1. OK: each listed
// base found again by its path gets 1 when checked, 0 when not (others keep
// their byte); returns true. Cancel: false, mask untouched.
bool runSearchAreaFilesDialog(QWidget* parent, const BaseSet& set, FileMask& mask);

} // namespace talsk
