#pragma once
// The dBASE import window (189, "Конвертирование Dbf файлов"): three pages of
// source tables and mappings, the tables to use, an optional key, and the
// import running on a worker thread with a progress bar.

#include "tools/dbf_import.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <thread>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace talsk {

class DbfImportPage;

class DbfImportDialog : public QDialog {
    Q_OBJECT
public:
    // folder: the program's folder, where the pages look for "nasel.dbf",
    // "predp.dbf" and "gorod.dbf" and the file dialogs start.
    DbfImportDialog(std::string folder, QWidget* parent = nullptr);
    ~DbfImportDialog() override;

    // The file dialogs (tests replace them): a source table for a page, and
    // the destination; an empty result is a cancel.
    std::function<QString(TableKind)> chooseSource;
    std::function<QString()> chooseDestination;

    bool running() const { return running_; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void openPages();
    void useToggled(int table, bool on);
    void proceed();
    void launch();
    void progress(unsigned run, int64_t done);
    void workerDone(unsigned run, const DbfImportResult& result);
    void stopWorker();
    void setRunning(bool on);
    void retryOrRestore(const QString& text);

    std::string folder_;
    QTabWidget* tabs_ = nullptr;
    DbfImportPage* pages_[kTableCount] = {};
    QCheckBox* use_[kTableCount] = {};
    QCheckBox* keyed_ = nullptr;
    QLineEdit* key_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* proceed_ = nullptr;
    QPushButton* close_ = nullptr;

    bool opened_ = false;
    bool running_ = false;
    unsigned run_ = 0; // results of an abandoned run are ignored
    DbfImportJob job_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

// Runs the window modally.
void runDbfImportDialog(QWidget* parent, const std::string& programFolder);

} // namespace talsk
