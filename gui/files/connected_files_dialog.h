#pragma once
// The "Подключаемые файлы" dialog: which files are connected and in what
// order, keys per file, and the information panel. It edits a copy; the
// caller commits the model after OK.

#include "gui/files/connected_files_model.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace talsk {

class FileInfoPanel;

class ConnectedFilesDialog : public QDialog {
    Q_OBJECT

public:
    // settings: the list is read from it; only the panel's shown or hidden
    // state is written to it, as the user switches it.
    ConnectedFilesDialog(const BaseSet& set, ProgramSettings& settings, QWidget* parent = nullptr);

    const ConnectedFilesModel& model() const { return model_; }

    // A key in the key box is kept for its file and the dialog stays open.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillLists(const std::vector<int>& selectListed = {});
    void listedSelectionChanged();
    void unusedSelectionChanged();
    // Reads the file's header; shows it when the panel is up. Returns keyed.
    bool showInfo(const std::string& name);
    void addFiles(bool all);
    void removeFiles(bool all);
    void moveSelected(int step);
    void keepTypedKey();
    void setPanelShown(bool shown);
    std::vector<int> selectedRows(const QListWidget* list) const;

    const BaseSet& set_;
    ProgramSettings& settings_;
    ConnectedFilesModel model_;
    QListWidget* listed_ = nullptr;
    QListWidget* unused_ = nullptr;
    QLineEdit* key_ = nullptr;
    QPushButton* more_ = nullptr;
    FileInfoPanel* panel_ = nullptr;
};

} // namespace talsk
