#include "gui/mainwindow/results_table.h"

#include "base/base_file.h"
#include "gui/mainwindow/commands.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/text.h"
#include "search/search_session.h"

#include <QAbstractButton>
#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>

#include <algorithm>

namespace talsk {

namespace {

// The table's commands as data: menu placement, text and keys (the table's
// own keys, which win over the main window's while the table has the focus).
struct Command {
    int id;
    const char* submenu; // null: the menu itself
    const char* text;
    const char* keys; // portable key sequences, "; " between them
    bool separatorAfter;
};

constexpr Command kCommands[] = {
    {cmd::RemoveFromList, nullptr, "Удалить из списка", "Del", false},
    {cmd::ShowAllRecords, nullptr, "Вывести все записи", "", true},
    {cmd::SortPhone, "Упорядочить", "телефон", "", false},
    {cmd::SortName, "Упорядочить", "фамилия", "", false},
    {cmd::SortAddress, "Упорядочить", "адрес", "", false},
    {cmd::SortOrganization, "Упорядочить", "организация", "", false},
    {cmd::SortComment, "Упорядочить", "комметарий", "", false},
    {cmd::SelectAll, "Выделение", "выделить все", "Ctrl+A", false},
    {cmd::InvertSelection, "Выделение", "инвертировать", "Ctrl+I", false},
    {cmd::ClearSelection, "Выделение", "убрать", "Ctrl+N", true},
    {cmd::EditRecord, nullptr, "Редактировать запись", "Return; Enter; F2", false},
    {cmd::DeleteFromFile, nullptr, "Удалить из файла", "Ctrl+Del", true},
    {cmd::CopyRows, nullptr, "Копировать", "Ctrl+C; Ctrl+Ins", false},
    {cmd::CopyPhone, nullptr, "Копировать телефон", "Ctrl+Shift+C", false},
    {cmd::SaveList, nullptr, "Сохранить список ...", "", false},
    {cmd::PrintList, nullptr, "Печать ...", "Ctrl+P", true},
    {cmd::ClearTable, nullptr, "Очистить таблицу", "Esc", false},
    {cmd::GridLines, nullptr, "Сетка", "", false},
};

constexpr int kSortIds[ResultsTable::kColumns] = {cmd::SortPhone, cmd::SortName, cmd::SortAddress,
                                                  cmd::SortOrganization, cmd::SortComment};

// The key text the main menu shows for the same command ("Enter", not the
// first of its keys), so that both menus read alike.
QString menuKeyText(int id) {
    const cmd::Command* c = cmd::findCommand(id);
    if (c == nullptr) return {};
    if (!c->keyLabel.empty()) return "\t" + QString::fromUtf8(c->keyLabel);
    const std::vector<std::string_view> keys = cmd::commandKeys(*c);
    if (keys.empty()) return {};
    const QKeySequence first(QString::fromUtf8(keys.front()), QKeySequence::PortableText);
    return "\t" + first.toString(QKeySequence::NativeText);
}

const ProgramSettings& defaultSettings() {
    static const ProgramSettings settings;
    return settings;
}

QMessageBox::StandardButton runMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                          const QString& caption, const QString& text,
                                          QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, parent);
    // The program speaks Russian whatever translations the toolkit has.
    if (QAbstractButton* yes = box.button(QMessageBox::Yes)) yes->setText(QStringLiteral("Да"));
    if (QAbstractButton* no = box.button(QMessageBox::No)) no->setText(QStringLiteral("Нет"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool isPlainEscape(const QKeyEvent* event) {
    return event->key() == Qt::Key_Escape && (event->modifiers() & ~Qt::KeypadModifier) == 0;
}

} // namespace

KindColumns kindColumns(TableMask mask, const std::array<float, 5>& shares) {
    KindColumns k;
    if (mask == kMaskCityCodes) {
        k.titles = {"Код города", "Город", "Справочная", "Организация", "Комментарий"};
    } else {
        const char* name = mask == kMaskPopulationOrganizations ? "Фамилия / Должность"
                           : mask == kMaskPopulation            ? "Фамилия"
                           : mask == kMaskOrganizations         ? "Должность"
                                                                : nullptr;
        k.titles = {"Телефон", name, "Адрес", "Организация", "Комментарий"};
    }
    k.fractions = shares;
    if (!(mask & kMaskOrganizations)) {
        // No organization column: its share goes to the three text columns.
        const float third = shares[3] * 0.33333334f;
        k.fractions[1] += third;
        k.fractions[2] += third;
        k.fractions[3] = 0.0f;
        k.fractions[4] += third;
    }
    return k;
}

uint64_t hitPayload(const SearchHit& hit) {
    return static_cast<uint64_t>(static_cast<uint32_t>(hit.record)) |
           static_cast<uint64_t>(static_cast<uint16_t>(hit.base)) << 32 |
           static_cast<uint64_t>(static_cast<uint8_t>(hit.table)) << 48;
}

SearchHit hitOfPayload(uint64_t payload) {
    return SearchHit{static_cast<int32_t>(static_cast<uint32_t>(payload)),
                     static_cast<int16_t>(static_cast<uint16_t>(payload >> 32)),
                     static_cast<TableKind>(static_cast<uint8_t>(payload >> 48))};
}

QString rowInfoText(const BaseSet& set, const SearchHit& hit) {
    if (hit.base < 0 || hit.base >= set.count()) return {};
    static const char* const kKinds[kTableCount] = {" : население", " : организации",
                                                    " : код города"};
    const auto kind = static_cast<size_t>(hit.table);
    if (kind >= kTableCount) return {};
    return fromNativePath(set.bases[static_cast<size_t>(hit.base)].path) + QStringLiteral(" : ") +
           QString::number(hit.record) + QString::fromUtf8(kKinds[kind]);
}

ResultsTable::ResultsTable(QWidget* parent) : CPhoneGrid(parent) {
    setColumnCount(kColumns);
    setColumnFormat(0, PhoneGridModel::kAlignCenter, false);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Результаты поиска"));
    // A column narrower than its title (the shares are the user's) shows the
    // title cut with an ellipsis rather than clipped at both ends.
    connect(header(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column >= 0 && column < kColumns) showTitle(column);
    });
    messageBox_ = [this](QMessageBox::Icon icon, const QString& caption, const QString& text,
                         QMessageBox::StandardButtons buttons) {
        return runMessageBox(this, icon, caption, text, buttons);
    };
    buildCommands();
    connect(this, &CPhoneGrid::currentRowChanged, this, &ResultsTable::reportRow);
    connect(this, &CPhoneGrid::rowDoubleClicked, this, &ResultsTable::editRecord);
}

ResultsTable::~ResultsTable() = default;

void ResultsTable::buildCommands() {
    menu_ = new QMenu(this);
    QMenu* sub = nullptr;
    const char* subTitle = nullptr;
    for (const Command& c : kCommands) {
        if (c.submenu != subTitle) {
            subTitle = c.submenu;
            sub = subTitle != nullptr ? menu_->addMenu(QString::fromUtf8(subTitle)) : nullptr;
        }
        auto* a = new QAction(QString::fromUtf8(c.text) + menuKeyText(c.id), this);
        a->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(c.keys)));
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
        (sub != nullptr ? sub : menu_)->addAction(a);
        if (c.separatorAfter) menu_->addSeparator();
        actions_.emplace_back(c.id, a);
    }
    for (int column = 0; column < kColumns; ++column)
        connect(action(kSortIds[column]), &QAction::triggered, this,
                [this, column] { sortByColumn(column); });
    connect(action(cmd::RemoveFromList), &QAction::triggered, this, &ResultsTable::removeFromList);
    connect(action(cmd::ShowAllRecords), &QAction::triggered, this,
            &ResultsTable::showAllRecordsRequested);
    connect(action(cmd::SelectAll), &QAction::triggered, this, &CPhoneGrid::selectAll);
    connect(action(cmd::InvertSelection), &QAction::triggered, this, &CPhoneGrid::invertSelection);
    connect(action(cmd::ClearSelection), &QAction::triggered, this, &CPhoneGrid::clearSelection);
    connect(action(cmd::EditRecord), &QAction::triggered, this,
            [this] { editRecord(model().currentRow()); });
    connect(action(cmd::DeleteFromFile), &QAction::triggered, this, &ResultsTable::deleteFromFile);
    connect(action(cmd::ClearTable), &QAction::triggered, this, &ResultsTable::clearTable);
    QAction* grid = action(cmd::GridLines);
    grid->setCheckable(true);
    grid->setChecked(model().gridLines());
    connect(grid, &QAction::triggered, this, &ResultsTable::toggleGridLines);
    connectListCommands();
}

QAction* ResultsTable::action(int id) const {
    for (const auto& [commandId, a] : actions_)
        if (commandId == id) return a;
    return nullptr;
}

void ResultsTable::setBaseSet(BaseSet* set, SearchSession* session, ProgramSettings* settings) {
    set_ = set;
    session_ = session;
    settings_ = settings;
    setRowCount(0);
    Q_EMIT rowsShownChanged(0);
}

PhoneBase* ResultsTable::baseOf(const SearchHit& hit) const {
    if (set_ == nullptr || hit.base < 0 || hit.base >= set_->count()) return nullptr;
    if (static_cast<int>(hit.table) >= kTableCount) return nullptr;
    return &set_->bases[static_cast<size_t>(hit.base)];
}

// Points the row's cells at the hit's record; a hit that names no loaded
// record leaves the row blank.
bool ResultsTable::setRowCells(int row, const SearchHit& hit, size_t* phoneLength) {
    const PhoneBase* base = baseOf(hit);
    if (base != nullptr) {
        const BaseTable& table = base->table(hit.table);
        if (hit.record >= 0 && hit.record < table.count && table.text.data() != nullptr &&
            table.entryCapacity() > static_cast<size_t>(hit.record)) {
            const RecordIndexEntry& e = table.entries()[hit.record];
            setCells(row, fieldPointers(table.text.data(), e));
            // Every stored order keeps the phone first: the nearest field
            // starts after its zero, which gives its length without reading
            // the record.
            if (phoneLength != nullptr)
                *phoneLength = *std::min_element(std::begin(e.offset), std::end(e.offset)) - 1u;
            return true;
        }
    }
    for (int c = 0; c < kColumns; ++c)
        setCell(row, c, nullptr);
    return false;
}

// Views.

void ResultsTable::showResults(const SearchState& state, TableMask mask, int selectRow) {
    if (!kind_ || *kind_ != mask) setKindColumns(mask);
    fillRows(state, static_cast<int>(state.hits.size()));
    if (selectRow >= 0 && selectRow < rowCount()) goToRow(selectRow, true);
}

void ResultsTable::fillRows(const SearchState& state, int n) {
    setRowCount(0); // a new list starts unselected, without a current row
    setRowCount(n);
    Q_EMIT rowsShownChanged(n);
    // Millions of rows: the longest phone comes from the index, not from
    // measuring every phone.
    size_t longestPhone = 0;
    for (int i = 0; i < n; ++i) {
        const SearchHit& hit = state.hits[static_cast<size_t>(i)];
        size_t phone = 0;
        if (setRowCells(i, hit, &phone)) longestPhone = std::max(longestPhone, phone);
        setPayload(i, hitPayload(hit));
    }
    fitColumnToLength(0, longestPhone); // no digit of a number is ever cut
    viewport()->update();
}

void ResultsTable::refreshRows() {
    for (int i = 0; i < rowCount(); ++i)
        setRowCells(i, hitAt(i));
    fitColumnToText(0);
    viewport()->update();
}

void ResultsTable::clearResults() {
    setRowCount(0);
    Q_EMIT rowsShownChanged(0);
    Q_EMIT cleared();
}

void ResultsTable::setKindColumns(TableMask mask) {
    const ProgramSettings& s = settings_ != nullptr ? *settings_ : defaultSettings();
    const KindColumns k = kindColumns(mask, s.columnWidthShares);
    for (int c = 0; c < kColumns; ++c) {
        if (k.titles[c] != nullptr) {
            titles_[static_cast<size_t>(c)] = QString::fromUtf8(k.titles[c]);
            showTitle(c);
        }
        setColumnFraction(k.fractions[c], c);
    }
    kind_ = mask;
    if (s.autoColumnWidths == 1)
        setAutoWidth(true);
    else
        viewport()->update();
    fitColumnToText(0); // its title may have changed
}

QString ResultsTable::columnTitle(int column) const {
    return column >= 0 && column < kColumns ? titles_[static_cast<size_t>(column)] : QString();
}

void ResultsTable::showTitle(int column) {
    const QString& full = titles_[static_cast<size_t>(column)];
    const int room = header()->sectionSize(column) -
                     2 * header()->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header());
    setColumnTitle(column, header()->fontMetrics().elidedText(full, Qt::ElideRight, room), full);
}

void ResultsTable::applySettings(const ProgramSettings& settings) {
    for (int c = 0; c < kColumns; ++c)
        setColumnWidth(c, settings.columnWidthsPx[static_cast<size_t>(c)], c == kColumns - 1);
    setAutoWidth(settings.autoColumnWidths == 1);
    setHoverTracking(settings.mouseTracking == 1);
    setGridLines(settings.gridLines == 1);
    action(cmd::GridLines)->setChecked(settings.gridLines == 1);
    fitColumnToText(0);
}

void ResultsTable::collectIntoSettings(ProgramSettings& settings) const {
    for (int c = 0; c < kColumns; ++c)
        settings.columnWidthsPx[static_cast<size_t>(c)] = model().columnWidth(c);
}

// Commands.

void ResultsTable::removeFromList() {
    deleteSelectedRows();
    Q_EMIT rowsShownChanged(rowCount());
}

void ResultsTable::clearTable() {
    clearResults();
}

void ResultsTable::editRecord(int row) {
    if (row >= 0 && row < rowCount()) Q_EMIT editRecordRequested(hitAt(row));
}

void ResultsTable::toggleGridLines() {
    const bool on = !model().gridLines();
    if (settings_ != nullptr) settings_->gridLines = on ? 1 : 0;
    setGridLines(on);
    action(cmd::GridLines)->setChecked(on);
    Q_EMIT gridLinesChanged(on);
}

void ResultsTable::deleteFromFile() {
    const QString title = fromUtf8(kAppTitle);
    if (model().moreThanOneSelected()) {
        messageBox_(QMessageBox::Information, title, QStringLiteral("Выделите только одну строку"),
                    QMessageBox::Ok);
        return;
    }
    const int r = model().currentRow();
    if (r < 0 || r >= rowCount()) return;
    const SearchHit h = hitAt(r);
    PhoneBase* base = baseOf(h);
    if (base == nullptr) return;
    if (base->readOnly) {
        messageBox_(QMessageBox::Warning, title,
                    QStringLiteral("Файл доступен только для чтения\nредактирование невозможно"),
                    QMessageBox::Ok);
        return;
    }
    BaseTable& table = base->table(h.table);
    if (h.record < 0 || h.record >= table.count) return; // the row no longer names a record

    const QString question = QStringLiteral("Удалить запись под номером ") +
                             QString::number(h.record) + QStringLiteral(", номер телефона ") +
                             fromCp1251(fieldPointers(table, h.record)[1]) +
                             QStringLiteral("\nиз файла ") + fromNativePath(base->path);
    const bool yes = messageBox_(QMessageBox::Question, QStringLiteral("Подтверждение"), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    // The background search reads the table that is about to change.
    if (yes && session_ != nullptr && !session_->cancel()) {
        messageBox_(QMessageBox::Critical, QStringLiteral("Ошибка"),
                    QString::fromUtf8(kSearchStillRunning), QMessageBox::Ok);
        return;
    }
    if (yes && deleteRecord(table, h.record)) {
        const bool written = saveBase(*base, tableMaskOf(h.table));
        if (written) deleteRow(r, false);
        // Later records of that table moved down by one, and its text moved.
        for (int i = 0; i < rowCount(); ++i) {
            SearchHit hit = hitAt(i);
            if (hit.base == h.base && hit.table == h.table && hit.record > h.record) {
                --hit.record;
                setPayload(i, hitPayload(hit));
            }
            if (!written && i == r)
                setRowCells(i, SearchHit{-1, h.base, h.table}); // its record is gone
            else
                setRowCells(i, hit);
        }
        if (!written)
            messageBox_(QMessageBox::Critical, QStringLiteral("Ошибка"),
                        QStringLiteral("Ошибка при сохранении базы, данные не были сохранены\n "
                                       "перезапустите программу"),
                        QMessageBox::Ok);
        Q_EMIT rowsShownChanged(rowCount());
        Q_EMIT recordDeleted(h);
    }
    select(std::min(model().currentRow(), rowCount() - 1), 0, true);
}

void ResultsTable::reportRow(int row) {
    const bool one = row >= 0 && row < rowCount() && !model().moreThanOneSelected();
    Q_EMIT currentRowInfo(row, one && set_ != nullptr ? rowInfoText(*set_, hitAt(row)) : QString());
}

// Input: the table's keys come before the main window's.

QAction* ResultsTable::keyAction(const QKeyEvent* event) const {
    const QKeySequence pressed(
        QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    for (const auto& [id, a] : actions_)
        for (const QKeySequence& keys : a->shortcuts())
            if (keys == pressed) return a;
    return nullptr;
}

bool ResultsTable::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (keyAction(key) != nullptr || isPlainEscape(key)) {
            event->accept();
            return true;
        }
    }
    return CPhoneGrid::event(event);
}

void ResultsTable::keyPressEvent(QKeyEvent* event) {
    if (isPlainEscape(event) && rowCount() == 0) {
        Q_EMIT minimizeRequested();
        return;
    }
    if (QAction* a = keyAction(event)) {
        a->trigger();
        return;
    }
    CPhoneGrid::keyPressEvent(event);
}

void ResultsTable::contextMenuEvent(QContextMenuEvent* event) {
    action(cmd::GridLines)->setChecked(model().gridLines());
    menu_->exec(event->globalPos());
}

} // namespace talsk
