#include "gui/search/search_log_dialog.h"

#include "gui/search/search_log_view.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/grid_clipboard.h"
#include "gui/widgets/phone_grid.h"
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
#include <QVBoxLayout>
#include <algorithm>

namespace talsk {

namespace {

constexpr const char* kColumnTitles[5] = {"Телефон", "Фамилия И.О./Должность", "Адрес",
                                          "Организация", "Комментарий"};
// The entry's field shown in each column; the address column starts at the
// street, with house and unit following it in the entry's text.
constexpr RecordField kColumnFields[5] = {RecordField::Phone, RecordField::Name,
                                          RecordField::Street, RecordField::Organization,
                                          RecordField::Comment};

} // namespace

SearchLogDialog::SearchLogDialog(QWidget* parent, SearchLog& log, ProgramSettings& settings,
                                 int position)
    : QDialog(parent), log_(log), settings_(settings) {
    setWindowTitle(QStringLiteral("Журнал поиска"));
    setSizeGripEnabled(true);
    const DialogUnits u = dialogUnits(*this);

    grid_ = new CPhoneGrid(this);
    grid_->setAccessibleName(windowTitle());
    grid_->setColumnCount(5);
    for (int c = 0; c < 5; ++c)
        grid_->setColumnTitle(c, QString::fromUtf8(kColumnTitles[c]));
    grid_->setHoverTracking(settings.mouseTracking != 0);
    grid_->viewport()->installEventFilter(this);
    addGridCopyKeys(*grid_);

    auto* choose = new QPushButton(QStringLiteral("Выбрать"));
    choose->setDefault(true);
    auto* search = new QPushButton(QStringLiteral("Поиск"));
    search->setObjectName(QStringLiteral("search"));
    auto* exit = new QPushButton(QStringLiteral("Выход"));
    clear_ = new QPushButton(QStringLiteral("Очистить"));
    clear_->setObjectName(QStringLiteral("clear"));
    connect(choose, &QPushButton::clicked, this, [this] { this->choose(false); });
    connect(search, &QPushButton::clicked, this, [this] { this->choose(true); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(clear_, &QPushButton::clicked, this, &SearchLogDialog::clearAll);
    connect(grid_, &CPhoneGrid::rowDoubleClicked, this, [this] { this->choose(false); });

    auto* join = new QGroupBox(QStringLiteral("Объединить:"));
    orJoin_ = new QRadioButton(QStringLiteral("\"или\""));
    orJoin_->setObjectName(QStringLiteral("orJoin"));
    andJoin_ = new QRadioButton(QStringLiteral("\"и\""));
    andJoin_->setObjectName(QStringLiteral("andJoin"));
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
    stamp_->setObjectName(QStringLiteral("stamp"));
    position_ = new QLabel;
    position_->setObjectName(QStringLiteral("position"));
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
    // Every change of the selection, by mouse or key, moves the current row.
    connect(grid_, &CPhoneGrid::currentRowChanged, this, &SearchLogDialog::selectionChanged);
    if (log_.count > 0) grid_->goToRow(initialLogRow(position, log_.count), true);
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
    // Over the main window: the parent is a panel inside it (or floated from
    // it), whose own geometry is not the main window's place on the screen.
    QWidget* frame = parentWidget();
    while (frame != nullptr && frame->parentWidget() != nullptr)
        frame = frame->parentWidget();
    const QRect over = frame != nullptr ? frame->geometry() : area;
    move(over.center() - rect().center());
}

void SearchLogDialog::fillRows() {
    grid_->setRowCount(log_.count);
    for (int entry = 0; entry < log_.count; ++entry) {
        for (int column = 0; column < 5; ++column)
            grid_->setCell(entry, column,
                           log_.field(entry, static_cast<int>(kColumnFields[column])));
        grid_->setPayload(entry, static_cast<uint64_t>(entry));
    }
}

std::vector<int> SearchLogDialog::selectedEntries() const {
    // Rows may have been sorted; the payload names the entry.
    std::vector<int> entries;
    const PhoneGridModel& rows = grid_->model();
    for (int row = 0; row < rows.rowCount(); ++row)
        if (rows.isSelected(row)) entries.push_back(static_cast<int>(rows.payload(row)));
    return entries;
}

char SearchLogDialog::joinOperator() const {
    return andJoin_->isChecked() ? '&' : '|';
}

void SearchLogDialog::selectionChanged() {
    const PhoneGridModel& rows = grid_->model();
    const int first = rows.firstSelected();
    const int selected = rows.selectedCount();
    position_->setText(
        QString::fromStdString(logSelectionText(first, rows.lastSelected(), rows.rowCount())));
    const int entry = selected == 1 ? static_cast<int>(rows.payload(first)) : -1;
    QString stamp;
    if (entry >= 0 && entry < log_.count)
        stamp = QString::fromStdString(logStampText(log_.stamps[static_cast<size_t>(entry)]));
    stamp_->setText(stamp);
    orJoin_->setEnabled(selected > 1);
    andJoin_->setEnabled(selected > 1);
}

void SearchLogDialog::choose(bool search) {
    if (grid_->model().selectedCount() == 0) return;
    search_ = search;
    accept();
}

void SearchLogDialog::clearAll() {
    const auto answer = QMessageBox::question(this, QStringLiteral("Подтверждение"),
                                              QStringLiteral("Очистить журнал поиска"),
                                              QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    grid_->setRowCount(0); // its cells point into the log's text
    clearLog(log_);
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
        least[c] =
            grid_->header()->fontMetrics().horizontalAdvance(QString::fromUtf8(kColumnTitles[c])) +
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
        grid_->setColumnWidth(c, static_cast<int>(w), true);
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
