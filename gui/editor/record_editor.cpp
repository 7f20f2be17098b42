// The record editor's window: controls bound to RecordEditorLogic.

#include "gui/editor/record_editor.h"

#include "gui/editor/new_base_file_dialog.h"

#include "gui/search/find_dialog.h"
#include "gui/widgets/accessibility.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/image_button.h"
#include "gui/widgets/text.h"
#include "platform/cp1251.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace talsk {

namespace {

constexpr const char* kNewFile = "Новый файл";
constexpr const char* kSaveTip = "Сохранить внесенные изменения";
constexpr const char* kGoToTip = "Отобразить запись под введенным номером";

// The edit boxes top to bottom: organization, name, street, house, unit,
// phone, comment.
constexpr std::array<int, 7> kSlotOrder = {6, 2, 3, 4, 5, 1, 7};

struct KindLabels {
    const char* phone;
    const char* name;
    const char* street;
    const char* unit;
};
constexpr std::array<KindLabels, 3> kKindLabels = {{
    {"Телефон:", "Фамилия И.О.:", "Улица:", "Квартира:"},
    {"Телефон:", "Должность:", "Улица:", "Кабинет:"},
    {"Код города:", "Город:", "Справочная:", "Квартира:"},
}};

// Ticks of the track bar: one per record up to 20, else about twenty.
int trackPage(int count) {
    if (count <= 20) return 1;
    if (count >= 30 && count <= 39) return 2;
    return count / 20;
}

} // namespace

RecordEditor::RecordEditor(SearchSession& search, ProgramSettings& settings,
                           const EditorStart& start, QWidget* parent)
    : QDialog(parent), prompts_(this), logic_(search, settings, prompts_, start), search_(search),
      set_(search.baseSet()), settings_(settings) {
    setWindowTitle(fromUtf8(editorText::kEditorCaption));
    build();
    fillFiles();
    showFromLogic();
}

RecordEditor::~RecordEditor() {
    delete findDialog_; // its end enables "Найти", which must still exist
}

void RecordEditor::build() {
    auto* root = new QVBoxLayout(this);

    auto* kindRow = new QHBoxLayout;
    static constexpr const char* kKindNames[] = {"Население", "Организации", "Коды городов"};
    static constexpr const char* kKindTips[] = {"Редактировать базу населения",
                                                "Редактировать базу организаций",
                                                "Редактировать базу городов"};
    for (int k = 0; k < 3; ++k) {
        kinds_[k] = new QRadioButton(fromUtf8(kKindNames[k]), this);
        kinds_[k]->setToolTip(fromUtf8(kKindTips[k]));
        kindRow->addWidget(kinds_[k]);
        const auto kind = static_cast<TableKind>(k);
        connect(kinds_[k], &QRadioButton::clicked, this, [this, kind] {
            if (kind != logic_.position().table)
                if (const auto n = boundNumber()) logic_.chooseKind(kind, *n);
            showFromLogic(); // stays on the old kind when the user chose to stay
        });
    }
    kindRow->addStretch();
    root->addLayout(kindRow);

    auto* filesCaption = new QLabel(fromUtf8("Текущий редактируемый файл:"), this);
    root->addWidget(filesCaption);
    files_ = new QComboBox(this);
    filesCaption->setBuddy(files_);
    nameAfterCaption(files_, filesCaption->text());
    files_->setObjectName(QStringLiteral("files"));
    files_->setToolTip(fromUtf8("Выбрать файл для редактирования"));
    connect(files_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < int(comboBases_.size())) logic_.chooseBase(comboBases_[index]);
        showFromLogic();
    });
    root->addWidget(files_);

    auto* grid = new QGridLayout;
    for (size_t row = 0; row < kSlotOrder.size(); ++row) {
        const int slot = kSlotOrder[row];
        labels_[slot] = new QLabel(this);
        boxes_[slot] = new QLineEdit(this);
        boxes_[slot]->setMaxLength(kFieldMax[slot]);
        boxes_[slot]->setObjectName(QStringLiteral("field%1").arg(slot));
        labels_[slot]->setObjectName(QStringLiteral("label%1").arg(slot));
        labels_[slot]->setBuddy(boxes_[slot]);
        grid->addWidget(labels_[slot], int(row), 0);
        grid->addWidget(boxes_[slot], int(row), 1);
        connect(boxes_[slot], &QLineEdit::textEdited, this, [this, slot] {
            keepOneLine(boxes_[slot]);
            typed();
        });
    }
    labels_[6]->setText(fromUtf8("Организация:"));
    labels_[4]->setText(fromUtf8("Дом:"));
    labels_[7]->setText(fromUtf8("Комментарий:"));
    root->addLayout(grid);

    track_ = new QSlider(Qt::Horizontal, this);
    track_->setObjectName(QStringLiteral("track"));
    track_->setTickPosition(QSlider::TicksBelow);
    root->addWidget(track_);

    auto* moveRow = new QHBoxLayout;
    auto moveButton = [this, moveRow](const char* text, const char* tip, auto step) {
        auto* b = new QPushButton(fromUtf8(text), this);
        b->setToolTip(fromUtf8(tip));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, step] {
            step();
            showFromLogic();
        });
        moveRow->addWidget(b);
        return b;
    };
    // "<" and ">" step from the number in the box, also one just typed.
    moveButton("|<<", "В начало файла", [this] { logic_.first(); });
    moveButton("<", "Предыдущая запись", [this] {
        if (const auto n = boundNumber()) logic_.previous(*n);
    });
    number_ = new QLineEdit(this);
    number_->setObjectName(QStringLiteral("number"));
    number_->setMaxLength(8);
    number_->setAlignment(Qt::AlignCenter);
    number_->setToolTip(fromUtf8("Изменить текущий номер записи"));
    // The track bar moves through the same numbers as the box.
    nameAfterCaption(number_, number_->toolTip());
    nameAfterCaption(track_, number_->toolTip());
    connect(number_, &QLineEdit::textEdited, this, &RecordEditor::goToMode);
    moveRow->addWidget(number_);
    moveButton(">", "Следующая запись", [this] {
        if (const auto n = boundNumber()) logic_.next(*n);
    });
    moveButton(">>|", "В конец файла (добавить)", [this] { logic_.last(); });
    root->addLayout(moveRow);

    auto* buttons = new QHBoxLayout;
    copy_ = new ImageButton(QString(), 114, this);
    copy_->setImages(":/images/copy.png", QString(), ImageButton::ImagePosition::Above);
    copy_->setToolTip(fromUtf8("Копировать текущую запись"));
    connect(copy_, &ImageButton::command, this, [this] { logic_.copy(); });
    paste_ = new ImageButton(QString(), 115, this);
    paste_->setImages(":/images/paste.png", QString(), ImageButton::ImagePosition::Above);
    paste_->setToolTip(fromUtf8("Вставить скопированную запись"));
    connect(paste_, &ImageButton::command, this, [this] {
        logic_.paste();
        showFromLogic();
    });
    buttons->addWidget(copy_);
    buttons->addWidget(paste_);
    buttons->addStretch();

    save_ = new QPushButton(fromUtf8("Сохранить"), this);
    save_->setDefault(true);
    save_->setToolTip(fromUtf8(kSaveTip));
    connect(save_, &QPushButton::clicked, this, &RecordEditor::saveClicked);
    saveAs_ = new QPushButton(fromUtf8("Сохранить как..."), this);
    saveAs_->setToolTip(fromUtf8("Добавить запись в другой или новый файл"));
    connect(saveAs_, &QPushButton::clicked, this, &RecordEditor::saveAsClicked);
    remove_ = new QPushButton(fromUtf8("Удалить"), this);
    remove_->setToolTip(fromUtf8("Удалить запись из базы"));
    connect(remove_, &QPushButton::clicked, this, &RecordEditor::removeClicked);
    find_ = new QPushButton(fromUtf8("Найти"), this);
    find_->setToolTip(fromUtf8("Найти запись"));
    connect(find_, &QPushButton::clicked, this, &RecordEditor::openFind);
    exit_ = new QPushButton(fromUtf8("Выход"), this);
    connect(exit_, &QPushButton::clicked, this, &RecordEditor::reject);
    const DialogUnits du = dialogUnits(*this);
    // One width for the row, room around the widest caption; "Сохранить"
    // also holds "Перейти". When the row would then be wider than the screen
    // (large fonts), each button is as wide as its own caption needs.
    const std::array<QPushButton*, 5> row = {save_, saveAs_, remove_, find_, exit_};
    auto roomFor = [&du](const QPushButton* b) {
        return b->fontMetrics().horizontalAdvance(b->text()) + du.x(12);
    };
    int buttonWidth = 0;
    for (QPushButton* b : row)
        buttonWidth = std::max(buttonWidth, roomFor(b));
    const QScreen* screen =
        parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const int spacing = style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
    const int rowWidth = copy_->sizeHint().width() + paste_->sizeHint().width() +
                         int(row.size()) * (buttonWidth + spacing) + du.x(14);
    const bool sameWidth = screen == nullptr || rowWidth <= screen->availableGeometry().width();
    for (QPushButton* b : row) {
        if (b != save_) b->setAutoDefault(false);
        b->setMinimumWidth(sameWidth ? buttonWidth : roomFor(b));
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    for (QWidget* control : findChildren<QWidget*>())
        control->installEventFilter(this);
}

void RecordEditor::fillFiles() {
    files_->clear();
    comboBases_.clear();
    for (int b = 0; b < set_.count() && b < kMaxFiles; ++b) {
        const PhoneBase& base = set_.bases[size_t(b)];
        if (!base.connected) continue;
        files_->addItem(fromNativePath(base.path));
        comboBases_.push_back(b);
    }
    files_->addItem(fromUtf8(kNewFile));
    comboBases_.push_back(kNoBase);
}

int RecordEditor::comboIndexOf(int base) const {
    for (size_t i = 0; i < comboBases_.size(); ++i)
        if (comboBases_[i] == base) return int(i);
    return int(comboBases_.size()) - 1;
}

void RecordEditor::relabel(TableKind kind) {
    const int k = static_cast<int>(kind);
    const KindLabels& l = kKindLabels[size_t(k)];
    labels_[1]->setText(fromUtf8(l.phone));
    labels_[2]->setText(fromUtf8(l.name));
    labels_[3]->setText(fromUtf8(l.street));
    labels_[5]->setText(fromUtf8(l.unit));
    const bool codes = kind == TableKind::CityCodes;
    const bool orgs = kind == TableKind::Organizations;
    for (int slot : {4, 5}) {
        boxes_[slot]->setEnabled(!codes);
        labels_[slot]->setVisible(!codes);
    }
    boxes_[6]->setEnabled(orgs);
    labels_[6]->setVisible(orgs);
    for (int slot = 1; slot <= kFieldCount; ++slot)
        nameAfterCaption(boxes_[slot], labels_[slot]->text());
}

void RecordEditor::refreshTrackBar() {
    const int count = logic_.recordCount();
    track_->setRange(0, count);
    track_->setPageStep(trackPage(count));
    track_->setTickInterval(trackPage(count));
}

void RecordEditor::showFromLogic() {
    const SearchHit& at = logic_.position();
    kinds_[size_t(at.table)]->setChecked(true);
    relabel(at.table);
    files_->setCurrentIndex(comboIndexOf(at.base));
    const RecordFields& f = logic_.fields();
    for (int slot = 1; slot <= kFieldCount; ++slot)
        boxes_[slot]->setText(fromCp1251(f.field(slot))); // setText is not an edit
    number_->setText(QString::number(at.record));
    refreshTrackBar();
    track_->setValue(at.record);
    goTo_ = false;
    if (findDialog_ && at.table != findKind_) findDialog_->resetFields();
    findKind_ = at.table;
    findDataChanged();
    save_->setText(fromUtf8("Сохранить"));
    save_->setToolTip(fromUtf8(kSaveTip));
    updateButtons();
}

void RecordEditor::updateButtons() {
    save_->setEnabled(goTo_ || logic_.canSave());
    remove_->setEnabled(!goTo_ && logic_.canDelete());
    saveAs_->setEnabled(!goTo_);
}

RecordFields RecordEditor::readBoxes() const {
    RecordFields f;
    for (int slot = 1; slot <= kFieldCount; ++slot)
        f.set(slot, toCp1251(boxes_[slot]->text()).c_str());
    return RecordEditorLogic::fieldsForKind(f, logic_.position().table);
}

void RecordEditor::keepOneLine(QLineEdit* box) {
    const std::string typed = toCp1251(box->text());
    const std::string clean = blankControlCharacters(typed);
    if (clean == typed) return;
    const int cursor = box->cursorPosition();
    box->setText(fromCp1251(clean)); // not an edit: no second textEdited
    box->setCursorPosition(cursor);
}

void RecordEditor::typed() {
    logic_.edit(readBoxes());
    updateButtons();
}

void RecordEditor::goToMode() {
    if (goTo_) return;
    goTo_ = true;
    save_->setText(fromUtf8("Перейти"));
    save_->setToolTip(fromUtf8(kGoToTip));
    updateButtons();
}

void RecordEditor::saveClicked() {
    if (goTo_) {
        const auto n = boundNumber();
        if (!n) return;
        logic_.goToNumber(*n);
    } else {
        logic_.save();
    }
    showFromLogic();
}

std::optional<int32_t> RecordEditor::boundNumber() {
    if (!goTo_) return logic_.position().record;
    bool ok = false;
    const int n = number_->text().trimmed().toInt(&ok);
    if (ok) return n;
    prompts_.tell(PromptIcon::Warning, editorText::kProgramCaption, "Please enter an integer.");
    number_->setText(QString::number(logic_.position().record));
    return std::nullopt;
}

void RecordEditor::saveAsClicked() {
    if (!logic_.canSaveAs()) return;
    const HiddenWhile hidden(findDialog_);
    std::string name;
    bool created = false;
    if (!runNewBaseFileDialog(this, set_, settings_, name, created)) return;
    if (created) fillFiles();
    logic_.saveAs(findBase(set_, name));
    showFromLogic();
}

void RecordEditor::removeClicked() {
    const HiddenWhile hidden(findDialog_);
    logic_.remove();
    showFromLogic();
}

void RecordEditor::findDataChanged() {
    // Every store counts: "Сохранить", "Сохранить как...", "Удалить" and the
    // "yes" of the question before a move.
    if (logic_.dataChanges() == seenChanges_) return;
    seenChanges_ = logic_.dataChanges();
    if (findDialog_) findDialog_->refresh();
}

void RecordEditor::updateFindButton() {
    const bool inFront = findDialog_ && findDialog_->isVisible() && findDialog_->isActiveWindow();
    find_->setEnabled(!inFront);
}

void RecordEditor::openFind() {
    if (findDialog_) { // open but hidden or behind: bring it back
        findDialog_->show();
        findDialog_->raise();
        findDialog_->activateWindow();
        find_->setEnabled(false);
        return;
    }
    FindHost host;
    host.position = [this] { return logic_.position(); };
    host.show = [this](const SearchHit& hit) {
        logic_.goToRecord(hit);
        showFromLogic();
    };
    find_->setEnabled(false);
    findDialog_ = new FindDialog(search_, std::move(host), this);
    prompts_.setCompanion(findDialog_);
    // The keyboard goes back to "Найти", not on to the next button.
    connect(findDialog_, &QObject::destroyed, this, [this] {
        findWindow_ = nullptr;
        find_->setEnabled(true);
        find_->setFocus();
    });
    findWindow_ = findDialog_;
    findDialog_->installEventFilter(this);
    findDialog_->adjustSize();
    findDialog_->move(find_->mapToGlobal(QPoint(0, 0)) - QPoint(100, 50));
    findDialog_->show();
    findDialog_->activateWindow();
}

void RecordEditor::reject() {
    if (result_) {
        QDialog::reject();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    result_ = logic_.close();
    QApplication::restoreOverrideCursor();
    if (result_)
        QDialog::reject();
    else
        showFromLogic();
}

void RecordEditor::closeNow() {
    if (!result_) result_ = logic_.closeUnasked();
    QDialog::reject();
}

void RecordEditor::keyPressEvent(QKeyEvent* event) {
    // Up and Down walk the controls as Tab and Shift+Tab do.
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        focusNextPrevChild(event->key() == Qt::Key_Down);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool RecordEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == findWindow_) { // no cast: it may be half destroyed here
        switch (event->type()) {
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::Show:
        case QEvent::Hide:
            // After the change has taken effect.
            QMetaObject::invokeMethod(this, &RecordEditor::updateFindButton, Qt::QueuedConnection);
            break;
        default:
            break;
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        // Up and Down move the focus in every control of the window, also
        // in those that would take them for themselves (radios, list, track bar).
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && widget && widget->window() == this) {
            focusNextPrevChild(key == Qt::Key_Down);
            return true;
        }
    }
    // The record follows the track bar when the mouse lets it go (a drag or
    // a click beside the handle) and after a key moved it.
    if (watched == track_ &&
        (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyRelease)) {
        // After the slider has handled the event, so its value is final.
        QMetaObject::invokeMethod(this, &RecordEditor::trackMoved, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void RecordEditor::changeEvent(QEvent* event) {
    // A click into the editor activates it; its find dialog stays in front,
    // whatever the window manager does with a modal window's own tools.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && findDialog_ &&
        findDialog_->isVisible())
        findDialog_->raise();
    QDialog::changeEvent(event);
}

void RecordEditor::trackMoved() {
    if (track_->value() == logic_.position().record) return;
    logic_.goToNumber(track_->value());
    showFromLogic();
}

EditorCloseResult runRecordEditor(QWidget* parent, SearchSession& search, ProgramSettings& settings,
                                  const EditorStart& start) {
    RecordEditor editor(search, settings, start, parent);
    editor.exec();
    return editor.closeResult().value_or(EditorCloseResult{});
}

} // namespace talsk
