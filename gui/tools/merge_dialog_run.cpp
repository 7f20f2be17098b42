// The merge dialog's run: the checks of "Продолжить", the worker thread, its
// progress and questions, cancelling and the end of the run.

#include "base/cipher.h"
#include "base/load_status.h"
#include "gui/files/key_prompt_dialog.h"
#include "gui/tools/merge_dialog.h"
#include "gui/tools/merge_job.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/text.h"
#include "tools/destination.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <climits>

namespace talsk {

namespace {

// How long closing or "Отмена" waits for the worker to stop.
constexpr int kStopWaitMs = 20000;

void inform(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, fromUtf8(kAppTitle), text);
}

} // namespace

void MergeDialog::proceed() {
    if (running_) return;
    // Enter in the file key box: the key is only taken.
    if (!fileKey_->text().isEmpty()) {
        applyKeys();
        return;
    }
    if (list_.size() == 0) {
        inform(this, QStringLiteral("Выберите файл"));
        return;
    }
    const int missing = list_.firstWithoutKey();
    if (missing >= 0) {
        inform(this, QStringLiteral("Введите ключ для файла\n") +
                         fromNativePath(list_.entries()[static_cast<size_t>(missing)].path));
        selectRow(missing);
        fileKey_->setEnabled(true);
        fileKey_->setFocus();
        return;
    }
    if (useNewKey_->isChecked() && newKey_->text().isEmpty()) {
        inform(this, QStringLiteral("Введите ключ"));
        return;
    }
    const QString chosen = chooseDestination ? chooseDestination() : QString();
    if (chosen.isEmpty()) return;
    const std::string destination = withBaseExtension(toNativePath(chosen));
    if (!destinationCreatable(destination)) return;
    start(destination);
}

// The new file is written only when the merge is done; here it is made sure
// that it can be, so that a long merge does not end in vain.
bool MergeDialog::destinationCreatable(const std::string& path) {
    for (;;) {
        const WriteError cause = checkDestination(path);
        if (cause == WriteError::None) return true;
        QString text = QStringLiteral("Ошибка при создании файла\n ") + fromNativePath(path);
        if (const char* why = writeErrorText(cause); why != nullptr && *why != 0)
            text += "\n" + QString::fromUtf8(why);
        if (QMessageBox::warning(this, QStringLiteral("Ошибка"), text,
                                 QMessageBox::Retry | QMessageBox::Cancel) != QMessageBox::Retry)
            return false;
    }
}

void MergeDialog::start(const std::string& destination) {
    job_ = std::make_shared<MergeJob>(this);
    job_->sources = list_.sources();
    job_->destination = destination;
    job_->options.repeats = !repeats_->isChecked()    ? MergeRepeats::Keep
                            : samePhone_->isChecked() ? MergeRepeats::SamePhone
                                                      : MergeRepeats::SameRecord;
    if (useNewKey_->isChecked())
        job_->options.newFileKey = deriveFileKey(toCp1251(newKey_->text()));
    const int64_t total = list_.announcedRecords();
    progress_->setRange(0, static_cast<int>(std::min<int64_t>(total, INT_MAX)));
    progress_->setValue(0);
    setRunning(true);

    const int maximum = progress_->maximum();
    worker_ = std::thread([job = job_, dialog = this, maximum] {
        // Calls to the dialog are queued; they run only while it exists.
        const SourceFailure onFailure = [&job, dialog](size_t, const std::string& path,
                                                       int32_t status, std::string& fileKey) {
            auto answer = std::make_shared<MergeJob::Answer>();
            job->post([dialog, answer, path, status, key = fileKey]() mutable {
                const SourceAnswer a = dialog->askSourceFailure(path, status, key);
                std::lock_guard<std::mutex> lock(answer->mutex);
                answer->answer = a;
                answer->fileKey = key;
                answer->given = true;
                answer->ready.notify_all();
            });
            return job->wait(*answer, fileKey);
        };
        const MergeProgress progress = [&job, dialog, maximum](int64_t done, int64_t) {
            const int value = static_cast<int>(std::min<int64_t>(done, maximum));
            job->post([dialog, value] { dialog->progress_->setValue(value); });
        };
        const MergeResult result = mergeFiles(job->sources, job->destination, job->options,
                                              onFailure, progress, &job->cancel);
        job->post([dialog, result] { dialog->finished(result); });
    });
}

void MergeDialog::setRunning(bool on) {
    running_ = on;
    useNewKey_->setVisible(!on);
    newKey_->setVisible(!on);
    progressLabel_->setVisible(on);
    progress_->setVisible(on);
    repeats_->setEnabled(!on);
    samePhone_->setEnabled(!on && repeats_->isChecked());
    proceed_->setEnabled(!on);
    exit_->setEnabled(true);
    exit_->setText(on ? QStringLiteral("Отмена") : QStringLiteral("Выход"));
    if (!on) progress_->setValue(0);
    selectionChanged();
    updateButtons();
}

void MergeDialog::reject() {
    if (running_) {
        stopWorker(sender() != exit_);
        return;
    }
    QDialog::reject();
}

void MergeDialog::stopWorker(bool closeAfter) {
    closeWhenStopped_ = closeWhenStopped_ || closeAfter;
    if (job_->cancel) return; // already waiting
    job_->cancel = true;
    exit_->setEnabled(false);
    QTimer::singleShot(kStopWaitMs, this, [this, job = job_] {
        if (running_ && job == job_) giveUpWaiting();
    });
}

// The worker did not stop in time (a save that takes long): it is left to
// end on its own and reports to nobody; it writes nothing after a cancel
// unless it was already saving, and a save never leaves a damaged file.
void MergeDialog::giveUpWaiting() {
    job_->detach();
    worker_.detach();
    setRunning(false);
    if (closeWhenStopped_) QDialog::reject();
}

void MergeDialog::finished(const MergeResult& result) {
    if (worker_.joinable()) worker_.join(); // it only returns after posting this
    setRunning(false);
    switch (result.outcome) {
    case MergeOutcome::Done:
        QMessageBox(QMessageBox::NoIcon, QStringLiteral("Quelvarin0"),
                    QStringLiteral("Объединение файлов завершено"), QMessageBox::Ok, this)
            .exec();
        break;
    case MergeOutcome::SaveFailed: {
        QString text = QStringLiteral("Ошибка при сохранении базы, данные не были сохранены\n "
                                      "перезапустите программу");
        if (const char* why = writeErrorText(result.cause); why != nullptr && *why != 0)
            text += "\n" + QString::fromUtf8(why);
        QMessageBox::critical(this, QStringLiteral("Ошибка"), text);
        break;
    }
    case MergeOutcome::NoSources:
    case MergeOutcome::Aborted:
    case MergeOutcome::Cancelled:
        break;
    }
    if (closeWhenStopped_) QDialog::reject();
}

SourceAnswer MergeDialog::askSourceFailure(const std::string& path, int32_t status,
                                           std::string& fileKey) {
    if (job_ && job_->cancel) return SourceAnswer::Abort;
    const QString text =
        fromNativePath(path) + "\n" + QString::fromUtf8(statusMessage(status, true).c_str());
    const auto button =
        QMessageBox::warning(this, QStringLiteral("Ошибка"), text,
                             QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    if (button == QMessageBox::Abort) return SourceAnswer::Abort;
    if (button != QMessageBox::Retry) return SourceAnswer::Ignore;
    if (status == StatusLoadFailed) {
        // Damaged or a wrong key: the key is asked again first.
        std::string typed;
        bool remember = false;
        if (!runKeyPromptDialog(this, path, typed, remember)) return SourceAnswer::Ignore;
        fileKey = deriveFileKey(typed);
    }
    return SourceAnswer::Retry;
}

} // namespace talsk
