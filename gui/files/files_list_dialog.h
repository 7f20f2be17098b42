#pragma once
// The failed-files dialog: the files that did not connect, or that connected read-only,
// each with its status in full.

#include "base/loading.h"

#include <vector>

class QWidget;

namespace talsk {

// Shows the files (the caller has left out nothing to list: an empty list
// returns Cancel at once). readOnlyMode changes the heading and hides
// "Изменить", which showChangeButton may hide too. Ok and Change carry the
// check box "Не показывать это в дальнейшем"; closing the window is Cancel.
FilesListAnswer runFilesListDialog(QWidget* parent, const std::vector<FileListEntry>& files,
                                   bool readOnlyMode, bool showChangeButton);

} // namespace talsk
