// A minimal loading host until the one with the key and file-list dialogs is
// in the tree: questions are message boxes, keys and the converter are
// declined, the list of failed files is only acknowledged.

#include "ui/loading_host.h"

#include <QMessageBox>

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

bool QtLoadingHost::runConverter(const std::string&, const std::string&, std::string&) {
    return false;
}

bool QtLoadingHost::askKeys(std::vector<KeyEntryFile>&) {
    return false;
}

FilesListAnswer QtLoadingHost::showFilesList(const std::vector<FileListEntry>&, bool, bool) {
    return FilesListAnswer{FilesListChoice::Ok, false};
}

void QtLoadingHost::editConnectedFiles() {
    if (hooks_.editConnectedFiles) hooks_.editConnectedFiles();
}

void QtLoadingHost::cancelSearch() {
    if (hooks_.cancelSearch) hooks_.cancelSearch();
}

void QtLoadingHost::sizeResultStore(BaseSet& set) {
    if (hooks_.sizeResultStore) hooks_.sizeResultStore(set);
}

void QtLoadingHost::refreshViews(BaseSet& set) {
    if (hooks_.refreshViews) hooks_.refreshViews(set);
}

} // namespace talsk
