#include "gui/files/connected_files_dialog.h"

#include "base/records.h"
#include "gui/files/file_info_panel.h"
#include "gui/widgets/accessibility.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace talsk {

namespace {

QPushButton* toolButton(const QString& text, const QString& tip) {
    auto* b = new QPushButton(text);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

QListWidget* fileList(const char* name) {
    auto* list = new QListWidget;
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

} // namespace

ConnectedFilesDialog::ConnectedFilesDialog(const BaseSet& set, ProgramSettings& settings,
                                           QWidget* parent)
    : QDialog(parent), set_(set), settings_(settings), model_(set, settings) {
    setWindowTitle(QStringLiteral("Подключаемые файлы"));
    const DialogUnits u = dialogUnits(*this);

    listed_ = fileList("listed");
    unused_ = fileList("unused");
    auto* listedCaption = new QLabel(QStringLiteral("Подключаемые файлы:"));
    listedCaption->setBuddy(listed_);
    nameAfterCaption(listed_, listedCaption->text()); // a list takes no name from its buddy
    auto* unusedCaption = new QLabel(QStringLiteral("Не используемые файлы:"));
    unusedCaption->setBuddy(unused_);
    nameAfterCaption(unused_, unusedCaption->text());

    auto* addOne = toolButton(QStringLiteral(">"), QStringLiteral("Добавить выбранные файлы"));
    auto* addAll = toolButton(QStringLiteral(">>"), QStringLiteral("Добавить все файлы"));
    auto* removeOne = toolButton(QStringLiteral("<"), QStringLiteral("Убрать выбранные файлы"));
    auto* removeAll = toolButton(QStringLiteral("<<"), QStringLiteral("Убрать все файлы"));
    auto* up =
        toolButton(QStringLiteral("Вверх"), QStringLiteral("Переместить выбранный файл выше"));
    auto* down =
        toolButton(QStringLiteral("Вниз"), QStringLiteral("Переместить выбранный файл ниже"));
    connect(addOne, &QPushButton::clicked, this, [this] { addFiles(false); });
    connect(addAll, &QPushButton::clicked, this, [this] { addFiles(true); });
    connect(removeOne, &QPushButton::clicked, this, [this] { removeFiles(false); });
    connect(removeAll, &QPushButton::clicked, this, [this] { removeFiles(true); });
    connect(up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveSelected(1); });
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    for (QPushButton* b : {addOne, addAll, removeOne, removeAll}) {
        // Narrow, but never narrower than the arrows of a large font.
        b->setFixedWidth(std::max(u.x(24), b->fontMetrics().horizontalAdvance(b->text()) + u.x(8)));
        middle->addWidget(b);
    }
    middle->addStretch(1);

    key_ = new QLineEdit;
    key_->setObjectName(QStringLiteral("key"));
    key_->setMaxLength(static_cast<int>(kMaxKeyLength));
    key_->setToolTip(QStringLiteral("Автоматически вводить ключ для выбранного файла"));
    key_->setEnabled(false);
    key_->installEventFilter(this);
    auto* keyCaption = new QLabel(QStringLiteral("Автоматический ввод ключа:"));
    keyCaption->setBuddy(key_);
    nameAfterCaption(key_, keyCaption->text());

    // ">" moves files to the right, into the connected list.
    auto* lists = new QGridLayout;
    lists->addWidget(unusedCaption, 0, 0);
    lists->addWidget(listedCaption, 0, 2);
    lists->addWidget(unused_, 1, 0);
    lists->addLayout(middle, 1, 1);
    lists->addWidget(listed_, 1, 2);
    auto* order = new QHBoxLayout;
    order->addWidget(up);
    order->addWidget(down);
    order->addStretch(1);
    lists->addLayout(order, 2, 2);
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(keyCaption);
    keyRow->addWidget(key_, 1);
    lists->addLayout(keyRow, 3, 0, 1, 3);
    lists->setColumnStretch(0, 2);
    lists->setColumnStretch(2, 3);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setToolTip(QStringLiteral("Применить внесенные изменения"));
    ok->setDefault(true);
    auto* cancel = toolButton(QStringLiteral("Отмена"), QString());
    auto* reload = toolButton(QStringLiteral("Перезагрузить"),
                              QStringLiteral("Перезагрузить подключаемые файлы"));
    auto* rescan =
        toolButton(QStringLiteral("Обновить"), QStringLiteral("Обновить содержимое каталога"));
    auto* dropMissing = toolButton(QStringLiteral("Убрать несуществующие"),
                                   QStringLiteral("Убрать файлы, которых нет в данном каталоге"));
    more_ = toolButton(QStringLiteral("<< Меньше"), QString());
    connect(ok, &QPushButton::clicked, this, &ConnectedFilesDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(reload, &QPushButton::clicked, this, [this] {
        model_.markReload();
        accept();
    });
    connect(rescan, &QPushButton::clicked, this, [this] {
        model_.rescanFolder();
        fillLists(selectedRows(listed_));
    });
    connect(dropMissing, &QPushButton::clicked, this, [this] {
        model_.removeMissing();
        fillLists();
    });
    connect(more_, &QPushButton::clicked, this, [this] { setPanelShown(panel_->isHidden()); });
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {ok, cancel, reload, rescan, dropMissing})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(more_);

    auto* top = new QHBoxLayout;
    top->addLayout(lists, 1);
    top->addSpacing(u.x(4));
    top->addLayout(buttons);

    // The panel lies along the lower edge, the client's whole width.
    panel_ = new FileInfoPanel;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(7), u.y(7), u.x(7), u.y(7));
    layout->addLayout(top, 1);
    layout->addWidget(panel_);

    connect(listed_, &QListWidget::itemSelectionChanged, this,
            &ConnectedFilesDialog::listedSelectionChanged);
    connect(unused_, &QListWidget::itemSelectionChanged, this,
            &ConnectedFilesDialog::unusedSelectionChanged);
    // The room a screen leaves for the panel, less the dialog's margins and frame.
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) panel_->fitWidth(screen->availableGeometry().width() - u.x(14) - u.x(8));
    fillLists();
    listed_->setFocus();
    resize(u.x(470), u.y(270));
    setPanelShown(settings_.filesDialogExpanded != 0);
}

std::vector<int> ConnectedFilesDialog::selectedRows(const QListWidget* list) const {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
}

void ConnectedFilesDialog::fillLists(const std::vector<int>& selectListed) {
    {
        const QSignalBlocker a(listed_), b(unused_);
        listed_->clear();
        for (const ConnectedFile& f : model_.files())
            listed_->addItem(fromNativePath(f.name));
        unused_->clear();
        for (const std::string& name : model_.unused())
            unused_->addItem(fromNativePath(name));
        for (int row : selectListed)
            if (QListWidgetItem* item = listed_->item(row)) {
                item->setSelected(true);
                listed_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
            }
    }
    listedSelectionChanged();
}

bool ConnectedFilesDialog::showInfo(const std::string& name) {
    PhoneBase base;
    FileInfoRead outcome = FileInfoRead::NoFile;
    (void)readFileInfo(name.empty() ? std::string() : model_.pathOf(name), base, &outcome);
    if (!panel_->isHidden()) {
        panel_->showTexts(fileInfoTexts(base, outcome));
        const int i = name.empty() ? kNoBase : findBase(set_, name);
        panel_->setNotLoaded(!name.empty() &&
                             (i == kNoBase || !set_.bases[static_cast<size_t>(i)].connected));
    }
    return base.keyed != 0;
}

// One file selected in the list: its information, and the key box when it
// is keyed; the caret goes there for a file not connected yet.
void ConnectedFilesDialog::listedSelectionChanged() {
    const std::vector<int> rows = selectedRows(listed_);
    if (!rows.empty()) {
        const QSignalBlocker block(unused_);
        unused_->clearSelection();
    }
    if (rows.size() != 1) {
        if (rows.empty() && !selectedRows(unused_).empty()) return;
        showInfo({});
        key_->setEnabled(false);
        return;
    }
    const std::string& name = model_.files()[static_cast<size_t>(rows[0])].name;
    const bool keyed = showInfo(name);
    key_->setEnabled(keyed);
    const int i = findBase(set_, name);
    if (keyed && (i == kNoBase || !set_.bases[static_cast<size_t>(i)].connected)) key_->setFocus();
}

void ConnectedFilesDialog::unusedSelectionChanged() {
    const std::vector<int> rows = selectedRows(unused_);
    if (rows.empty()) return;
    {
        const QSignalBlocker block(listed_);
        listed_->clearSelection();
    }
    key_->setEnabled(false);
    showInfo(rows.size() == 1 ? model_.unused()[static_cast<size_t>(rows[0])] : std::string());
}

void ConnectedFilesDialog::addFiles(bool all) {
    std::vector<int> rows = selectedRows(unused_);
    if (all) {
        rows.clear();
        for (int i = 0; i < unused_->count(); ++i)
            rows.push_back(i);
    }
    const AddRefusal refusal = model_.addUnused(rows);
    fillLists();
    if (refusal == AddRefusal::NameTooLong)
        QMessageBox::warning(this, QStringLiteral("Ошибка"),
                             QStringLiteral("Длина файла не должна превышать 260 символов"));
    else if (refusal == AddRefusal::NameNotStorable)
        QMessageBox::warning(this, QStringLiteral("Ошибка"),
                             QString::fromStdString(unstorablePathMessage(model_.refusedName())));
}

void ConnectedFilesDialog::removeFiles(bool all) {
    std::vector<int> rows = selectedRows(listed_);
    if (all) {
        rows.clear();
        for (int i = 0; i < listed_->count(); ++i)
            rows.push_back(i);
    }
    model_.remove(rows);
    fillLists();
}

void ConnectedFilesDialog::moveSelected(int step) {
    const std::vector<int> rows = selectedRows(listed_);
    if (rows.size() != 1) return;
    const bool moved = step < 0 ? model_.moveUp(rows[0]) : model_.moveDown(rows[0]);
    if (moved) fillLists({rows[0] + step});
}

void ConnectedFilesDialog::keepTypedKey() {
    const std::vector<int> rows = selectedRows(listed_);
    if (key_->text().isEmpty() || rows.size() != 1) return;
    model_.setTypedKey(rows[0], toCp1251(key_->text()));
    key_->clear();
}

bool ConnectedFilesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == key_ && event->type() == QEvent::FocusOut) keepTypedKey();
    return QDialog::eventFilter(watched, event);
}

void ConnectedFilesDialog::accept() {
    if (!key_->text().isEmpty()) {
        keepTypedKey();
        return;
    }
    QDialog::accept();
}

// Hiding the panel shrinks the dialog by its height; the choice is kept.
void ConnectedFilesDialog::setPanelShown(bool shown) {
    const bool wasShown = !panel_->isHidden();
    settings_.filesDialogExpanded = shown ? 1 : 0;
    more_->setText(shown ? QStringLiteral("<< Меньше") : QStringLiteral("Больше >>"));
    if (shown == wasShown) return;
    const int step = panel_->sizeHint().height() + 1;
    panel_->setVisible(shown);
    layout()->activate(); // the minimum size follows the panel at once
    if (shown) {
        resize(width(), height() + step);
        listedSelectionChanged();
    } else {
        resize(width(), std::max(minimumSizeHint().height(), height() - step));
    }
}

} // namespace talsk
