#pragma once
// "Просмотр файлов": an open-file dialog for base files with the information
// panel under it, following the selection. It only shows information.

#include <QFileDialog>

namespace talsk {

class FileInfoPanel;

class FileBrowser : public QFileDialog {
    Q_OBJECT

public:
    // folder: where it opens (UTF-8 as the window layer holds paths).
    FileBrowser(QWidget* parent, const QString& folder);
    FileInfoPanel* panel() const { return panel_; }

private:
    FileInfoPanel* panel_ = nullptr;
};

void runFileBrowser(QWidget* parent, const QString& folder);

} // namespace talsk
