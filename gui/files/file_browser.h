#pragma once
// "Просмотр файлов": an open-file dialog for base files with the information
// panel under it, following the selection. It only shows information.
// The same browser in its save form chooses files of other kinds to write.

#include <QFileDialog>

namespace talsk {

class FileInfoPanel;

class FileBrowser : public QFileDialog {
    Q_OBJECT

public:
    // folder: where it opens (UTF-8 as the window layer holds paths).
    FileBrowser(QWidget* parent, const QString& folder);
    // The save form: filters such as "CSV (*.csv)", no information panel; a
    // name typed without an extension gets the chosen filter's.
    FileBrowser(QWidget* parent, const QString& title, const QString& folder,
                const QStringList& filters);
    FileInfoPanel* panel() const { return panel_; }

private:
    void setUpView();

    FileInfoPanel* panel_ = nullptr;
};

void runFileBrowser(QWidget* parent, const QString& folder);

// The save form run: the chosen file's full name, empty when cancelled.
QString browseFileToSave(QWidget* parent, const QString& title, const QString& folder,
                         const QStringList& filters);

} // namespace talsk
