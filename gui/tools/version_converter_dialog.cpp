#include "gui/tools/version_converter_dialog.h"

#include "base/base_file.h"
#include "base/file_info.h"
#include "gui/files/file_info_panel.h"
#include "gui/tools/version_converter_messages.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/queued_call.h"
#include "gui/widgets/text.h"
#include "platform/file.h"
#include "platform/write_error.h"
#include "tools/cut_fields.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace talsk {

namespace {

const QString kFilter = QStringLiteral("Base telephone number (*.btn)");

std::string fileTitle(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool endsWithBtn(const std::string& path) {
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".btn") == 0;
}

} // namespace

std::vector<uint16_t> converterTargets(uint16_t sourceVersion, bool driven) {
    std::vector<uint16_t> targets;
    if (sourceVersion == kVersion10b) sourceVersion = kVersion10a;
    if (!driven && (sourceVersion == kVersion10a || sourceVersion == kVersion20))
        targets.push_back(kVersion12);
    if (sourceVersion == kVersion10a || sourceVersion == kVersion12 || sourceVersion == kVersion20b)
        targets.push_back(kVersion20);
    return targets;
}

VersionConverterDialog::VersionConverterDialog(QWidget* parent, std::string drivenPath)
    : QDialog(parent), drivenPath_(std::move(drivenPath)) {
    setWindowTitle(QStringLiteral("Конвертер версий файлов"));
    const DialogUnits u = dialogUnits(*this);
    chooseSource = [](QWidget* w) {
        return QFileDialog::getOpenFileName(w, QStringLiteral("Открыть"), QString(), kFilter);
    };
    chooseDestination = [](QWidget* w) {
        return QFileDialog::getSaveFileName(w, QStringLiteral("Сохранить как"), QString(), kFilter);
    };

    choose_ = new QPushButton(QStringLiteral("Выбрать ..."));
    choose_->setObjectName(QStringLiteral("choose"));
    choose_->setAutoDefault(false);
    path_ = new QLabel;
    path_->setObjectName(QStringLiteral("path"));
    path_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    path_->setMinimumWidth(u.x(200));
    path_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* keyLabel = new QLabel(QStringLiteral("Ключ:"));
    key_ = new QLineEdit;
    key_->setObjectName(QStringLiteral("key"));
    key_->setEchoMode(QLineEdit::Password);
    key_->setMaxLength(static_cast<int>(kMaxKeyLength));
    key_->setEnabled(false);
    keyLabel->setBuddy(key_);
    info_ = new FileInfoPanel;
    targetLabel_ = new QLabel(QStringLiteral("Сохранить в версию:"));
    targetLabel_->setObjectName(QStringLiteral("targetLabel"));
    targets_ = new QComboBox;
    targets_->setObjectName(QStringLiteral("targets"));
    targets_->setMinimumWidth(u.x(50));
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setTextVisible(false);
    progress_->hide();
    continue_ = new QPushButton(QStringLiteral("Продолжить"));
    continue_->setObjectName(QStringLiteral("continue"));
    continue_->setDefault(true);
    exit_ = new QPushButton(QStringLiteral("Выход"));
    exit_->setObjectName(QStringLiteral("exit"));
    exit_->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(choose_);
    top->addWidget(path_, 1);
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(keyLabel);
    keyRow->addWidget(key_, 1);
    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(targetLabel_);
    targetRow->addWidget(targets_);
    targetRow->addWidget(progress_, 1);
    targetRow->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(continue_);
    buttons->addWidget(exit_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(7), u.y(7), u.x(7), u.y(7));
    layout->setSpacing(u.y(5));
    layout->addLayout(top);
    layout->addLayout(keyRow);
    layout->addSpacing(u.y(4));
    layout->addWidget(info_);
    layout->addSpacing(u.y(4));
    layout->addLayout(targetRow);
    layout->addLayout(buttons);

    setMinimumWidth(u.x(320));

    connect(choose_, &QPushButton::clicked, this, &VersionConverterDialog::pickSource);
    connect(continue_, &QPushButton::clicked, this, &VersionConverterDialog::convert);
    connect(exit_, &QPushButton::clicked, this, &VersionConverterDialog::reject);
}

VersionConverterDialog::~VersionConverterDialog() {
    // A conversion cannot stop halfway: it ends, writes or leaves the file as it was.
    if (worker_.joinable()) worker_.join();
}

std::string VersionConverterDialog::typedKey() const {
    return toCp1251(key_->text());
}

void VersionConverterDialog::pickSource() {
    const QString chosen = chooseSource(this);
    if (chosen.isEmpty()) return;
    (void)selectSource(toNativePath(chosen));
}

bool VersionConverterDialog::selectSource(const std::string& path) {
    if (path.empty()) return false;
    PhoneBase header;
    const bool valid = readFileInfo(path, header);
    // Converting in place writes the source; otherwise it is only read.
    const OpenMode mode = drivenPath_.empty() ? OpenMode::ReadShared : OpenMode::ReadWriteExclusive;
    while (fileSystem().open(path, mode) == nullptr) {
        if (toolMessage(this, QMessageBox::Warning, QStringLiteral("Ошибка при открытии файла"),
                        QMessageBox::Retry | QMessageBox::Cancel) != QMessageBox::Retry) {
            key_->clear();
            return false;
        }
    }
    if (valid) {
        source_ = path;
        version_ = header.version == kVersion10b ? kVersion10a : header.version;
        info_->showTexts(fileInfoTexts(header, FileInfoRead::Read));
        path_->setText(fromNativePath(path));
        sourceKeyed_ = header.keyed != 0;
        key_->setEnabled(sourceKeyed_);
    } else {
        loadStatusBox(this, path, header.status);
        source_.clear();
        version_ = 0;
        path_->clear();
        sourceKeyed_ = false;
        key_->setEnabled(false);
        info_->showTexts(fileInfoTexts(PhoneBase{}, FileInfoRead::NoFile));
    }
    fillTargets();
    key_->clear();
    if (sourceKeyed_) key_->setFocus();
    layout()->activate();
    adjustSize(); // a long path is shown whole
    return valid;
}

void VersionConverterDialog::fillTargets() {
    targets_->clear();
    for (uint16_t v : converterTargets(version_, !drivenPath_.empty()))
        targets_->addItem(v == kVersion12 ? QStringLiteral("1.2") : QStringLiteral("2.0"), v);
    targets_->setCurrentIndex(targets_->count() - 1);
}

void VersionConverterDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (drivenPath_.empty() || drivenStarted_) return;
    drivenStarted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!selectSource(drivenPath_) || targets_->count() == 0) {
                QDialog::reject();
                return;
            }
            if (key_->isEnabled()) {
                toolMessage(this, QMessageBox::Information, QStringLiteral("Введите ключ"));
                key_->setFocus();
            } else {
                convert();
            }
        },
        Qt::QueuedConnection);
}

void VersionConverterDialog::convert() {
    if (running() || source_.empty() || targets_->currentIndex() < 0) return;
    std::string destination = source_;
    if (drivenPath_.empty()) {
        const QString chosen = chooseDestination(this);
        if (chosen.isEmpty()) return;
        destination = toNativePath(chosen);
        if (!endsWithBtn(destination)) destination += ".btn";
    }
    start(destination, FieldCutting::Refuse);
}

void VersionConverterDialog::start(const std::string& destination, FieldCutting cutting) {
    destination_ = destination;
    cutting_ = cutting;
    showTargets(false);
    for (QWidget* w : {static_cast<QWidget*>(choose_), static_cast<QWidget*>(continue_),
                       static_cast<QWidget*>(exit_), static_cast<QWidget*>(key_)})
        w->setEnabled(false);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    const uint16_t target = static_cast<uint16_t>(targets_->currentData().toUInt());
    worker_ = std::thread([this, source = source_, destination, target, key = typedKey(), cutting] {
        const ConvertResult r = convertFileWithTypedKey(
            source, destination, target, key,
            [this](int32_t done, int32_t total) {
                postToThreadOf(this, [this, done, total] { progress(done, total); });
            },
            cutting);
        postToThreadOf(this, [this, r] { finished(r); });
    });
}

void VersionConverterDialog::progress(int32_t done, int32_t total) {
    progress_->setRange(0, total);
    progress_->setValue(done);
}

void VersionConverterDialog::finished(const ConvertResult& result) {
    worker_.join();
    auto retry = [this](const QString& text) {
        return toolMessage(this, QMessageBox::Warning, text,
                           QMessageBox::Retry | QMessageBox::Cancel) == QMessageBox::Retry;
    };
    switch (result.outcome) {
    case ConvertOutcome::Done:
        if (drivenPath_.empty())
            toolMessage(this, QMessageBox::NoIcon, QStringLiteral("Конвертирование завершено"));
        break;
    case ConvertOutcome::CannotOpen:
        if (retry(QStringLiteral("Ошибка при открытии файла")))
            return start(destination_, cutting_);
        break;
    case ConvertOutcome::CannotCreate:
        if (retry(QStringLiteral("Ошибка при создании файла\n ") + fromNativePath(destination_)))
            return start(destination_, cutting_);
        break;
    case ConvertOutcome::CannotRead:
        loadStatusBox(this, source_, result.status);
        break;
    case ConvertOutcome::Damaged:
        toolMessage(this, QMessageBox::Critical,
                    QStringLiteral("Файл ") + fromNativePath(fileTitle(source_)) +
                        QStringLiteral(" поврежден, продолжение невозможно"));
        break;
    case ConvertOutcome::WouldCut:
        if (toolMessage(this, QMessageBox::Question,
                        QString::fromStdString(cutFieldsMessage(result.cut)),
                        QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
            return start(destination_, FieldCutting::Allow);
        break;
    case ConvertOutcome::SaveFailed: {
        QString text = QStringLiteral("Ошибка при сохранении файла");
        if (result.cause != WriteError::None)
            text += QStringLiteral("\n") + QString::fromUtf8(writeErrorText(result.cause));
        toolMessage(this, QMessageBox::Critical, text);
        break;
    }
    case ConvertOutcome::NothingToConvert:
        break;
    }
    progress_->setValue(0);
    showTargets(true);
    choose_->setEnabled(true);
    continue_->setEnabled(true);
    exit_->setEnabled(true);
    key_->setEnabled(sourceKeyed_);
    if (result.outcome == ConvertOutcome::Done && !drivenPath_.empty()) accept();
}

void VersionConverterDialog::showTargets(bool shown) {
    targetLabel_->setVisible(shown);
    targets_->setVisible(shown);
    progress_->setVisible(!shown);
    repaint();
}

void VersionConverterDialog::closeEvent(QCloseEvent* event) {
    if (running())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void VersionConverterDialog::reject() {
    if (!running()) QDialog::reject();
}

void runVersionConverter(QWidget* parent) {
    VersionConverterDialog dialog(parent);
    dialog.exec();
}

bool runDrivenConverter(QWidget* parent, const std::string& fullPath, std::string& typedKey) {
    VersionConverterDialog dialog(parent, fullPath);
    if (dialog.exec() != QDialog::Accepted) return false;
    typedKey = dialog.typedKey();
    return true;
}

} // namespace talsk
