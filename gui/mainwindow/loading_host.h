#pragma once
// The window side of loading the connected files: status texts in the status
// bar, questions in message boxes, keys and failed files in their dialogs.

#include "base/loading.h"

#include <QString>
#include <functional>

class QWidget;

namespace talsk {

// What the main window does for loading; any hook may be empty.
struct LoadingHooks {
    std::function<void(const QString&)> showStatus; // status bar pane 0
    std::function<bool()> cancelSearch;             // false: the search would not stop
    std::function<void(BaseSet&)> sizeResultStore;
    std::function<void(BaseSet&)> refreshViews;
    std::function<void()> editConnectedFiles; // "Изменить" in the list of failed files
};

class QtLoadingHost : public LoadingHost {
public:
    QtLoadingHost(QWidget* window, LoadingHooks hooks);

    void showStatusText(const std::string& text) override;
    bool askYesNo(const std::string& text, const std::string& caption) override;
    bool runConverter(const std::string& path, const std::string& fullPath,
                      std::string& typedKey) override;
    bool askKeys(std::vector<KeyEntryFile>& files) override;
    FilesListAnswer showFilesList(const std::vector<FileListEntry>& files, bool readOnlyMode,
                                  bool showChangeButton) override;
    void editConnectedFiles() override;
    void showWarning(const std::string& text) override;
    std::vector<std::string> notToldYet(const std::vector<std::string>& paths) override;
    bool cancelSearch() override;
    void sizeResultStore(BaseSet& set) override;
    void refreshViews(BaseSet& set) override;

private:
    QWidget* window_;
    LoadingHooks hooks_;
};

} // namespace talsk
