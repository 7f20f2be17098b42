#include "gui/mainwindow/loading_host.h"

#include "gui/files/files_list_dialog.h"
#include "gui/files/key_entry_dialog.h"
#include "gui/tools/version_converter_dialog.h"
#include "gui/widgets/user_settings.h"

#include <QMessageBox>
#include <utility>

namespace talsk {

QtLoadingHost::QtLoadingHost(QWidget* window, LoadingHooks hooks)
    : window_(window), hooks_(std::move(hooks)) {}

void QtLoadingHost::showStatusText(const std::string& text) {
    if (hooks_.showStatus) hooks_.showStatus(QString::fromStdString(text));
}

bool QtLoadingHost::askYesNo(const std::string& text, const std::string& caption) {
    return QMessageBox::question(window_, QString::fromStdString(caption),
                                 QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// The converter's window converts the file in place; the key typed there
// becomes the file's key.
bool QtLoadingHost::runConverter(const std::string& /*path*/, const std::string& fullPath,
                                 std::string& typedKey) {
    return runDrivenConverter(window_, fullPath, typedKey);
}

bool QtLoadingHost::askKeys(std::vector<KeyEntryFile>& files) {
    return runKeyEntryDialog(window_, files);
}

FilesListAnswer QtLoadingHost::showFilesList(const std::vector<FileListEntry>& files,
                                             bool readOnlyMode, bool showChangeButton) {
    return runFilesListDialog(window_, files, readOnlyMode, showChangeButton);
}

void QtLoadingHost::editConnectedFiles() {
    if (hooks_.editConnectedFiles) hooks_.editConnectedFiles();
}

void QtLoadingHost::showWarning(const std::string& text) {
    QMessageBox::warning(window_, QStringLiteral("Ошибка"), QString::fromStdString(text));
}

// Remembered with the window's settings: the settings file is the one that
// cannot hold these names.
std::vector<std::string> QtLoadingHost::notToldYet(const std::vector<std::string>& paths) {
    QSettings settings = userSettings();
    return notListedYet(settings, QStringLiteral("notices/unstorableNames"), paths);
}

bool QtLoadingHost::cancelSearch() {
    return !hooks_.cancelSearch || hooks_.cancelSearch();
}

void QtLoadingHost::sizeResultStore(BaseSet& set) {
    if (hooks_.sizeResultStore) hooks_.sizeResultStore(set);
}

void QtLoadingHost::refreshViews(BaseSet& set) {
    if (hooks_.refreshViews) hooks_.refreshViews(set);
}

} // namespace talsk
