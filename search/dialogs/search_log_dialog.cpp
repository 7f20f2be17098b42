#include "search/dialogs/search_log_dialog.h"

#include "ui/text.h"
#include "base/dialogs/dialog_units.h"
#include "search/dialogs/search_log_view.h"
#include "search/log_combine.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

namespace talsk {

namespace {

QString fieldText(const SearchLog& log, int entry, RecordField f) {
    const char* s = log.field(entry, static_cast<int>(f));
    return fromCp1251(std::string(s, strnlen(s, kLogTextMax)));
}

} // namespace

SearchLogDialog::SearchLogDialog(QWidget* parent, SearchLog& log, ProgramSettings& settings,
                                 int position)
    : QDialog(parent), log_(log), settings_(settings) {
    setWindowTitle(QStringLiteral("Журнал поиска"));
    setSizeGripEnabled(true);
    const DialogUnits u = dialogUnits(*this);

    grid_ = new QTableWidget(0, 5);
    grid_->setHorizontalHeaderLabels(
        {QStringLiteral("Телефон"), QStringLiteral("Фамилия И.О./Должность"),
         QStringLiteral("Адрес"), QStringLiteral("Организация"), QStringLiteral("Комментарий")});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + u.y(4));
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid_->setWordWrap(false);
    grid_->setMouseTracking(settings.mouseTracking != 0);
    grid_->viewport()->installEventFilter(this);

    auto* choose = new QPushButton(QStringLiteral("Выбрать"));
    choose->setDefault(true);
    auto* search = new QPushButton(QStringLiteral("Поиск"));
    search->setObjectName(QStringLiteral("id1154"));
    auto* exit = new QPushButton(QStringLiteral("Выход"));
    clear_ = new QPushButton(QStringLiteral("Очистить"));
    clear_->setObjectName(QStringLiteral("id1049"));
    connect(choose, &QPushButton::clicked, this, [this] { this->choose(false); });
    connect(search, &QPushButton::clicked, this, [this] { this->choose(true); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(clear_, &QPushButton::clicked, this, &SearchLogDialog::clearAll);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { this->choose(false); });

    auto* join = new QGroupBox(QStringLiteral("Объединить:"));
    orJoin_ = new QRadioButton(QStringLiteral("\"или\""));
    orJoin_->setObjectName(QStringLiteral("id1110"));
    andJoin_ = new QRadioButton(QStringLiteral("\"и\""));
    andJoin_->setObjectName(QStringLiteral("id1111"));
    orJoin_->setChecked(true);
    auto* joinLayout = new QVBoxLayout(join);
    joinLayout->addWidget(orJoin_);
    joinLayout->addWidget(andJoin_);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(choose);
    buttons->addWidget(search);
    buttons->addWidget(exit);
    buttons->addSpacing(u.y(8));
    buttons->addWidget(clear_);
    buttons->addSpacing(u.y(8));
    buttons->addWidget(join);
    buttons->addStretch(1);

    stamp_ = new QLabel;
    stamp_->setObjectName(QStringLiteral("id1046"));
    position_ = new QLabel;
    position_->setObjectName(QStringLiteral("id1169"));
    position_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The status line may be narrower than its text; it must not hold the dialog wide.
    stamp_->setMinimumWidth(1);
    auto* statusLine = new QHBoxLayout;
    statusLine->addWidget(stamp_, 1);
    statusLine->addWidget(position_);

    auto* top = new QHBoxLayout;
    top->addWidget(grid_, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(u.x(6), u.y(6), u.x(6), u.y(4));
    layout->addLayout(top, 1);
    layout->addLayout(statusLine);
    resize(u.x(860), u.y(340));

    fillRows();
    clear_->setEnabled(log_.count > 0);
    connect(grid_, &QTableWidget::itemSelectionChanged, this, &SearchLogDialog::selectionChanged);
    if (log_.count > 0) {
        const int row = initialLogRow(position, log_.count);
        grid_->selectRow(row);
        grid_->setCurrentCell(row, 0, QItemSelectionModel::NoUpdate);
    }
    selectionChanged();
    placeWindow();
}

SearchLogDialog::~SearchLogDialog() {
    const QRect r = normalGeometry();
    if (!r.isValid()) return;
    settings_.searchLogRect =
        SettingsRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The remembered place when it still lies on the screen; centred otherwise.
void SearchLogDialog::placeWindow() {
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const SettingsRect& r = settings_.searchLogRect;
    if (usableLogRect(r, area.width(), area.height())) {
        setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
        return;
    }
    const QRect over = parentWidget() ? parentWidget()->geometry() : area;
    move(over.center() - rect().center());
}

void SearchLogDialog::fillRows() {
    grid_->setRowCount(log_.count);
    for (int entry = 0; entry < log_.count; ++entry) {
        const QString cells[5] = {fieldText(log_, entry, RecordField::Phone),
                                  fieldText(log_, entry, RecordField::Name),
                                  fromCp1251(logAddressCell(log_, entry)),
                                  fieldText(log_, entry, RecordField::Organization),
                                  fieldText(log_, entry, RecordField::Comment)};
        for (int column = 0; column < 5; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[column]);
            if (column == 0) item->setData(Qt::UserRole, entry);
            grid_->setItem(entry, column, item);
        }
    }
}

std::vector<int> SearchLogDialog::selectedEntries() const {
    std::vector<int> rows;
    for (const QModelIndex& index : grid_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<int> entries;
    for (int row : rows)
        entries.push_back(grid_->item(row, 0)->data(Qt::UserRole).toInt());
    return entries;
}

char SearchLogDialog::joinOperator() const {
    return andJoin_->isChecked() ? '&' : '|';
}

void SearchLogDialog::selectionChanged() {
    std::vector<int> rows;
    for (const QModelIndex& index : grid_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    const int count = grid_->rowCount();
    position_->setText(
        rows.empty() ? QString()
                     : QString::fromStdString(logSelectionText(rows.front(), rows.back(), count)));
    const bool one = rows.size() == 1 && rows.front() < log_.count;
    stamp_->setText(
        one ? QString::fromStdString(logStampText(log_.stamps[static_cast<size_t>(rows.front())]))
            : QString());
    orJoin_->setEnabled(rows.size() > 1);
    andJoin_->setEnabled(rows.size() > 1);
}

void SearchLogDialog::choose(bool search) {
    if (grid_->selectionModel()->selectedRows().isEmpty()) return;
    search_ = search;
    accept();
}

void SearchLogDialog::clearAll() {
    const auto answer = QMessageBox::question(this, QStringLiteral("Подтверждение"),
                                              QStringLiteral("Очистить журнал поиска"),
                                              QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    clearLog(log_);
    grid_->setRowCount(0);
    clear_->setEnabled(false);
    selectionChanged();
}

// Column widths are shares of the grid's width, kept on every size change;
// a column narrower than its caption takes the room from the wider ones.
void SearchLogDialog::fitColumns() {
    const int width = grid_->viewport()->width();
    const int padding = dialogUnits(*this).x(14);
    double wanted[5], least[5], slack = 0, deficit = 0;
    for (int c = 0; c < 5; ++c) {
        wanted[c] = width * settings_.columnWidthShares[static_cast<size_t>(c)];
        least[c] = grid_->horizontalHeader()->fontMetrics().horizontalAdvance(
                       grid_->horizontalHeaderItem(c)->text()) +
                   padding;
        if (wanted[c] < least[c])
            deficit += least[c] - wanted[c];
        else
            slack += wanted[c] - least[c];
    }
    const double take = slack > 0 ? std::min(1.0, deficit / slack) : 0;
    for (int c = 0; c < 5; ++c) {
        const double w =
            wanted[c] < least[c] ? least[c] : wanted[c] - (wanted[c] - least[c]) * take;
        grid_->setColumnWidth(c, static_cast<int>(w));
    }
}

bool SearchLogDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::Resize) fitColumns();
    return QDialog::eventFilter(watched, event);
}

int runSearchLogDialog(QWidget* parent, SearchLog& log, ProgramSettings& settings, int position,
                       SearchLogChoice* choice) {
    SearchLogDialog dialog(parent, log, settings, position);
    if (dialog.exec() != QDialog::Accepted) return -1;
    const std::vector<int> entries = dialog.selectedEntries();
    if (entries.empty()) return -1;
    if (choice != nullptr) {
        combineLogEntries(log, entries, dialog.joinOperator(), choice->query);
        choice->search = dialog.searchRequested();
    }
    return entries.front();
}

} // namespace talsk
