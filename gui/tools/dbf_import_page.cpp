#include "gui/tools/dbf_import_page.h"

#include "gui/widgets/app_texts.h"
#include "gui/widgets/text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace talsk {

namespace {

struct RowText {
    int slot;
    const char* label;
};

// The rows of each page, top to bottom.
std::vector<RowText> rowsOf(TableKind kind) {
    switch (kind) {
    case TableKind::Population:
        return {{1, "Телефон"}, {2, "Фамилия И.О."}, {3, "Улица"},
                {4, "Дом"},     {5, "Квартира"},     {7, "Комментарий"}};
    case TableKind::Organizations:
        return {{1, "Телефон"}, {6, "Организация"}, {2, "Должность"},  {3, "Улица"},
                {4, "Дом"},     {5, "Кабинет"},     {7, "Комментарий"}};
    case TableKind::CityCodes:
        break;
    }
    return {{1, "Код города"}, {2, "Город"}, {3, "Справочная"}, {7, "Комментарий"}};
}

} // namespace

DbfImportPage::DbfImportPage(TableKind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    auto* top = new QHBoxLayout;
    auto* choose = new QPushButton(QStringLiteral("Выбрать ..."), this);
    choose->setObjectName(QStringLiteral("choose"));
    path_ = new QLabel(QStringLiteral("Путь..."), this);
    path_->setObjectName(QStringLiteral("path"));
    path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(choose);
    top->addWidget(path_, 1);
    connect(choose, &QPushButton::clicked, this, &DbfImportPage::chooseClicked);

    auto* grid = new QGridLayout;
    int r = 0;
    for (const RowText& text : rowsOf(kind)) {
        Row row;
        row.slot = text.slot;
        grid->addWidget(new QLabel(QString::fromUtf8(text.label) + ':', this), r, 0);
        const int columns = dbfSlotJoinable(text.slot) ? 3 : 1;
        for (int c = 0; c < columns; ++c) {
            if (c > 0) {
                auto* sep = new QLineEdit(QStringLiteral(" - "), this);
                // Every separator fits an 11-byte slot; the population's
                // phone row allows that much, the others 8.
                sep->setMaxLength(
                    kind == TableKind::Population && text.slot == 1 ? int(kDbfMaxSeparator) : 8);
                sep->setFixedWidth(sep->fontMetrics().horizontalAdvance(QStringLiteral("MMMMM")));
                row.separator[c - 1] = sep;
                grid->addWidget(sep, r, 2 * c);
            }
            auto* combo = new QComboBox(this);
            combo->setMinimumContentsLength(10);
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            row.column[c] = combo;
            grid->addWidget(combo, r, 2 * c + 1);
        }
        rows_.push_back(row);
        ++r;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);

    join_ = new QCheckBox(QStringLiteral("Использовать объединение"), this);
    join_->setObjectName(QStringLiteral("join"));
    skip_ = new QLineEdit(this);
    skip_->setObjectName(QStringLiteral("skip"));
    skip_->setMaxLength(int(kDbfMaxSkipText));
    auto* skipRow = new QHBoxLayout;
    skipRow->addWidget(new QLabel(QStringLiteral("Пропускать ячейки содержащие текст:"), this));
    skipRow->addWidget(skip_, 1);
    connect(join_, &QCheckBox::toggled, this, &DbfImportPage::joinToggled);

    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addLayout(grid);
    v->addWidget(join_);
    v->addLayout(skipRow);
    v->addStretch(1);
    fillLists();
    joinToggled();
}

void DbfImportPage::joinToggled() {
    const bool on = join_->isChecked();
    for (Row& row : rows_)
        for (int c = 0; c < 2; ++c) {
            if (row.separator[c]) row.separator[c]->setEnabled(on);
            if (row.column[c + 1]) row.column[c + 1]->setEnabled(on);
        }
    skip_->setEnabled(on);
}

void DbfImportPage::fillLists() {
    QStringList names{QStringLiteral("Нет")};
    for (int c = 0; c < table_.columnCount; ++c)
        names << fromCp1251(table_.columns[static_cast<size_t>(c)].name);
    for (Row& row : rows_)
        for (QComboBox* combo : row.column)
            if (combo) {
                combo->clear();
                combo->addItems(names);
            }
    path_->setText(table_.path.empty() ? QStringLiteral("Путь...") : fromNativePath(table_.path));
}

void DbfImportPage::applyMapping(const DbfTableJob& job) {
    for (Row& row : rows_)
        for (int c = 0; c < 3; ++c)
            if (row.column[c]) {
                const uint8_t col = job.fields[static_cast<size_t>(row.slot) - 1].column[c];
                row.column[c]->setCurrentIndex(col == kDbfNoColumn ? 0 : col + 1);
            }
}

void DbfImportPage::reset() {
    table_ = DbfTable{};
    valid_ = false;
    fillLists();
}

void DbfImportPage::readFile(const std::string& path, bool chosen) {
    const DbfStatus status = readDbfHeader(path, table_);
    valid_ = status == DbfStatus::Ok;
    if (!valid_) {
        const QString message = QString::fromStdString(dbfStatusMessage(status, path));
        if (status == DbfStatus::Damaged)
            QMessageBox::warning(this, QStringLiteral("Конвертирование"), message);
        else if (chosen)
            QMessageBox::warning(this, fromUtf8(kAppTitle), message);
        reset();
        return;
    }
    fillLists();
    DbfTableJob job;
    setDefaultDbfMapping(kind_, job);
    applyMapping(job);
}

void DbfImportPage::chose(const std::string& path) {
    if (path.empty()) {
        if (!valid_) reset();
        return;
    }
    readFile(path, true);
}

DbfTableJob DbfImportPage::collect() const {
    DbfTableJob job;
    if (valid_) job.path = table_.path;
    for (const Row& row : rows_) {
        DbfFieldMapping& f = job.fields[static_cast<size_t>(row.slot) - 1];
        for (int c = 0; c < 3; ++c)
            if (row.column[c]) {
                const int index = row.column[c]->currentIndex();
                f.column[c] = index <= 0 ? kDbfNoColumn : static_cast<uint8_t>(index - 1);
            }
        for (int c = 0; c < 2; ++c)
            if (row.separator[c]) f.separator[c] = toCp1251(row.separator[c]->text());
    }
    job.join = join_->isChecked();
    job.skipText = toCp1251(skip_->text());
    return job;
}

} // namespace talsk
