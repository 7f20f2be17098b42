#pragma once
// MergeDialog (192) "Объединение файлов": the list of files to merge with a
// key per file, the repeat options and the new file's key; the merge runs on
// a worker thread while the dialog shows its progress and can cancel it.

#include "tools/merge.h"
#include "tools/merge_list.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <thread>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace talsk {

struct MergeJob;

class MergeDialog : public QDialog {
    Q_OBJECT

public:
    explicit MergeDialog(QWidget* parent = nullptr);
    ~MergeDialog() override;

    // The files to add and the destination; the file dialogs unless replaced.
    std::function<QStringList()> chooseSources;
    std::function<QString()> chooseDestination;

    bool running() const { return running_; }
    const MergeList& list() const { return list_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void buildLayout();
    void addFiles();
    void removeSelected();
    void move(bool up);
    void selectRow(int row);
    void selectionChanged();
    void applyKeys();
    void repeatSearchToggled(bool on);
    void newKeyToggled(bool on);
    void updateButtons();

    void proceed();
    bool destinationCreatable(const std::string& path);
    void start(const std::string& destination);
    void setRunning(bool on);
    void stopWorker(bool closeAfter);
    void finished(const MergeResult& result);
    void giveUpWaiting();
    // Asked by the worker: a source did not load.
    SourceAnswer askSourceFailure(const std::string& path, int32_t status, std::string& fileKey);

    MergeList list_;
    bool running_ = false;
    bool closeWhenStopped_ = false;
    std::shared_ptr<MergeJob> job_;
    std::thread worker_;

    QListWidget* files_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QLineEdit* fileKey_ = nullptr;
    QCheckBox* repeats_ = nullptr;
    QCheckBox* samePhone_ = nullptr;
    QCheckBox* useNewKey_ = nullptr;
    QLineEdit* newKey_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* proceed_ = nullptr;
    QPushButton* exit_ = nullptr;

    friend struct MergeJob;
};

// Runs the dialog modally.
void runMergeDialog(QWidget* parent);

} // namespace talsk
