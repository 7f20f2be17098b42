#include "gui/search/find_dialog.h"

#include "gui/search/find_steps.h"
#include "gui/search/search_area_dialog.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace talsk {

namespace {

constexpr int kTextLimit = 100;    // characters the text box takes
constexpr int kSearchedText = 99;  // characters a search reads
constexpr int kHistoryLimit = 100; // texts the history keeps

// The hit shown last; kept for the whole run, across openings of the dialog.
int32_t findPosition = 0;

} // namespace

FindDialog::FindDialog(SearchSession& search, FindHost host, QWidget* parent)
    // A tool window of its host: it stays above the editor when a click
    // there takes the focus.
    : QDialog(parent, Qt::Tool), search_(search), set_(search.baseSet()), host_(std::move(host)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(fromUtf8("Поиск"));
    const DialogUnits du = dialogUnits(*this);

    text_ = new QComboBox(this);
    text_->setObjectName(QStringLiteral("text"));
    text_->setEditable(true);
    text_->setInsertPolicy(QComboBox::NoInsert); // the history is kept by remember()
    text_->setCompleter(nullptr); // searches what was typed, not a completed history item
    text_->lineEdit()->setMaxLength(kTextLimit);
    text_->setMinimumWidth(du.x(150));
    ok_ = new QPushButton(fromUtf8("Найти"), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(fromUtf8("Отмена"), this);
    cancel->setAutoDefault(false);
    for (QPushButton* b : {ok_, cancel}) // "Следующая" must fit without a resize
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(fromUtf8("Следующая")) + du.x(12));

    auto* fieldsBox = new QGroupBox(fromUtf8("Поиск по полям"), this);
    fieldList_ = new QComboBox(fieldsBox);
    fieldList_->setObjectName(QStringLiteral("fieldList"));
    (new QVBoxLayout(fieldsBox))->addWidget(fieldList_);
    auto* directionBox = new QGroupBox(fromUtf8("Направление"), this);
    up_ = new QRadioButton(fromUtf8("Вверх"), directionBox);
    down_ = new QRadioButton(fromUtf8("Вниз"), directionBox);
    up_->setChecked(true);
    auto* directionRow = new QHBoxLayout(directionBox);
    directionRow->addWidget(up_);
    directionRow->addWidget(down_);
    allFiles_ = new QCheckBox(fromUtf8("Поиск во всех файлах"), this);
    bothTables_ = new QCheckBox(fromUtf8("Поиск в населении и организациях"), this);
    bothTables_->setChecked(true);
    found_ = new QLabel(this);
    found_->setObjectName(QStringLiteral("found"));

    auto* root = new QVBoxLayout(this);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(text_, 1);
    textRow->addWidget(ok_);
    root->addLayout(textRow);
    auto* groups = new QHBoxLayout;
    groups->addWidget(fieldsBox, 1);
    groups->addWidget(directionBox);
    root->addLayout(groups);
    root->addWidget(allFiles_);
    root->addWidget(bothTables_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(found_, 1);
    bottom->addWidget(cancel);
    root->addLayout(bottom);

    connect(ok_, &QPushButton::clicked, this, &FindDialog::findClicked);
    connect(cancel, &QPushButton::clicked, this, &FindDialog::reject);
    connect(fieldList_, &QComboBox::activated, this, [this] {
        if (!busy_) fieldChosen();
    });
    for (QCheckBox* box : {allFiles_, bothTables_})
        connect(box, &QCheckBox::clicked, this, [this] {
            if (!busy_) markStale();
        });
    connect(text_, &QComboBox::activated, this, [this] {
        if (!busy_) markStale();
    });
    connect(text_->lineEdit(), &QLineEdit::textEdited, this, &FindDialog::markStale);

    resetFields();
}

void FindDialog::resetFields() {
    if (busy_) return;
    fieldList_->clear();
    fieldList_->addItem(fromUtf8("Все поля"));
    fieldList_->addItem(fromUtf8("Выбрать ..."));
    fieldList_->setCurrentIndex(0);
    markStale();
}

void FindDialog::refresh() {
    if (busy_) return;
    // Storing a record already marks the search state dirty (it stops the
    // background search), so the dialog's own texts are reset here.
    bothTables_->setEnabled(host_.position().table != TableKind::CityCodes);
    search_.markStale();
    showStale();
}

void FindDialog::fieldChosen() {
    if (fieldList_->currentIndex() == 1) {
        const bool codes = host_.position().table == TableKind::CityCodes;
        if (!runSearchAreaFieldsDialog(this, fields_,
                                       codes ? TableKind::CityCodes : TableKind::Population))
            fieldList_->setCurrentIndex(0);
    }
    markStale();
}

void FindDialog::markStale() {
    bothTables_->setEnabled(host_.position().table != TableKind::CityCodes);
    if (search_.current()) {
        search_.markStale();
        showStale();
    }
}

void FindDialog::showStale() {
    ok_->setText(fromUtf8("Найти"));
    found_->clear();
}

void FindDialog::findClicked() {
    busy_ = true;
    const SearchState& st = search_.state();
    if (!search_.current()) {
        const QString text = text_->currentText().left(kSearchedText);
        if (text.isEmpty()) {
            busy_ = false;
            return;
        }
        newSearch(text);
    } else {
        findPosition = nextFindPosition(findPosition, up_->isChecked(), hitTotal(st));
    }
    const int32_t shown = std::min<int32_t>(hitTotal(st), int32_t(st.hits.size()));
    if (findPosition >= 0 && findPosition < shown) host_.show(st.hits[size_t(findPosition)]);
    busy_ = false;
}

void FindDialog::newSearch(const QString& text) {
    const SearchHit at = host_.position();
    const FieldSelection selection = fieldList_->currentIndex() == 1 ? fields_ : kAllFields;
    SearchArea area;
    area.tables = findTableMask(at.table, bothTables_->isChecked());
    const size_t files = std::min(set_.bases.size(), area.files.size());
    for (size_t b = 0; b < files; ++b)
        if (allFiles_->isChecked() || int(b) == at.base) area.files[b] = 1;

    const int32_t found = search_.findRecord(toCp1251(text).c_str(), area, selection);
    const SearchState& st = search_.state();
    const int32_t total = found > 0 ? hitTotal(st) : 0;
    found_->setText(fromUtf8("Найдено записей - ") + QString::number(total));
    if (total > 0) ok_->setText(fromUtf8("Следующая"));
    remember(text);
    // A text that did not compile leaves no hit to show.
    findPosition = found > 0 ? findStartIndex(st, at, up_->isChecked(), allFiles_->isChecked(),
                                              int(set_.bases.size()))
                             : -1;
}

void FindDialog::remember(const QString& text) {
    if (text.isEmpty()) return;
    // The list box's prefix search: from item 1 on, item 0 last.
    int at = -1;
    for (int k = 1; k <= text_->count() && at < 0; ++k) {
        const int i = k % text_->count();
        if (text_->itemText(i).startsWith(text, Qt::CaseInsensitive)) at = i;
    }
    if (at > 0 && text_->itemText(at).size() == text.size()) text_->removeItem(at);
    if (at != 0) {
        text_->insertItem(0, text);
        if (text_->count() > kHistoryLimit) text_->removeItem(kHistoryLimit);
    }
    text_->setEditText(text);
}

} // namespace talsk
