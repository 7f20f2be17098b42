// Base files connected where they lie, named from outside the window.

#include "base/named_files.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/widgets/text.h"

#include <QStringList>

namespace talsk {

void CMainFrame::openBaseFiles(const QStringList& paths) {
    const int listedBefore = settings_.fileCount;
    std::vector<std::string> names;
    for (const QString& path : paths)
        names.push_back(toNativePath(path));
    const std::vector<int> listed = listNamedFiles(settings_, names);
    loadFiles();
    // The loader has said why a file did not connect; the list keeps only
    // the files it had.
    bool removed = false;
    for (size_t i = names.size(); i-- > 0;) {
        if (listed[i] < listedBefore) continue;
        const int index = findBase(set_, names[i]);
        if (index >= 0 && !set_.bases[static_cast<size_t>(index)].connected) {
            removeBase(set_, &settings_, index);
            removed = true;
        }
    }
    if (removed) {
        fillSearchAreaBar();
        refreshTotals();
    }
}

} // namespace talsk
