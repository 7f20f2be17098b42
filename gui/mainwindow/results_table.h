#pragma once
// ResultsTable: the main window's list of search hits. A CPhoneGrid whose
// rows point into the loaded records, with the commands that act on those
// rows: sorting, selecting, removing rows, deleting a record from its file,
// clearing, grid lines. What belongs to the main window leaves as signals.

#include "base/base_set.h"
#include "gui/mainwindow/commands.h"
#include "gui/mainwindow/results_view.h"
#include "gui/widgets/phone_grid.h"
#include "platform/write_error.h"

#include <QMessageBox>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QMenu;

namespace talsk {

class SearchSession;

// The columns for a table mask: titles (column 1 keeps its title for a mask
// naming no single kind) and width fractions from the settings' shares.
struct KindColumns {
    std::array<const char*, 5> titles{}; // UTF-8; null = unchanged
    std::array<float, 5> fractions{};
};
KindColumns kindColumns(TableMask mask, const std::array<float, 5>& shares);

// A hit travels in its row as the grid's 8-byte payload.
uint64_t hitPayload(const SearchHit& hit);
SearchHit hitOfPayload(uint64_t payload);

// The status line of a row: "name : record : kind".
QString rowInfoText(const BaseSet& set, const SearchHit& hit);

class ResultsTable : public CPhoneGrid, public ResultsView {
    Q_OBJECT

public:
    static constexpr int kColumns = 5;

    explicit ResultsTable(QWidget* parent = nullptr);
    ~ResultsTable() override;

    // The set whose records the rows show, the session whose background
    // search a deletion stops first, and the settings the table uses.
    void setBaseSet(BaseSet* set, SearchSession* session = nullptr,
                    ProgramSettings* settings = nullptr);

    // ResultsView.
    void showResults(const SearchState& state, TableMask mask, int selectRow) override;
    void clearResults() override;
    // The shown rows again from the records as they now are.
    void refreshRows();
    int rowCount() const override { return model().rowCount(); }

    // Titles and widths of the columns for a table mask.
    void setKindColumns(TableMask mask);
    // Pixel widths, automatic width, hover and grid lines from the settings.
    void applySettings(const ProgramSettings& settings);
    // The pixel widths as shown go back into the settings.
    void collectIntoSettings(ProgramSettings& settings) const;

    // A column's title in full (the header may show it shortened).
    QString columnTitle(int column) const;
    SearchHit hitAt(int row) const { return hitOfPayload(model().payload(row)); }
    // One action per command id (null for an id the table does not have),
    // for the main window's "Таблица" popup.
    QAction* action(int id) const;
    QMenu* contextMenu() const { return menu_; }

    // Shows a message box and returns the button pressed; replaceable so that
    // a caller can answer it.
    using MessageBoxFn = std::function<QMessageBox::StandardButton(
        QMessageBox::Icon icon, const QString& caption, const QString& text,
        QMessageBox::StandardButtons buttons)>;
    void setMessageBox(MessageBoxFn box) { messageBox_ = std::move(box); }

    // The commands.
    void removeFromList();
    void clearTable();
    void editRecord(int row);
    void deleteFromFile();
    void toggleGridLines();

    // The rows leaving the window: the clipboard, a file, paper.
    void copyRows();
    void copyPhone();
    // "Сохранить список ...": the file browser, then saveListTo; the folder
    // is remembered.
    void saveList();
    // Every row in the grid's order with the column titles, CSV for a ".csv"
    // name and tab-separated text otherwise; false with the cause.
    bool saveListTo(const QString& path, WriteError* cause = nullptr) const;
    // The print preview; heading names the search that produced the list.
    void printList(const QString& heading);

Q_SIGNALS:
    void rowsShownChanged(int count);                  // status pane "Выведено строк"
    void cleared();                                    // columns may follow the tables list again
    void currentRowInfo(int row, const QString& info); // row -1: none
    void editRecordRequested(talsk::SearchHit hit);
    void showAllRecordsRequested();
    void minimizeRequested(); // Esc in an empty table
    void gridLinesChanged(bool on);
    // A record left its file: totals and the search's hits are out of date.
    void recordDeleted(talsk::SearchHit hit);
    // "Печать ..." from the context menu: the window knows the search.
    void printRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildCommands();
    void connectListCommands();
    void fillRows(const SearchState& state, int n);
    // phoneLength, when given, gets the length of the record's phone.
    bool setRowCells(int row, const SearchHit& hit, size_t* phoneLength = nullptr);
    QAction* keyAction(const QKeyEvent* event) const;
    PhoneBase* baseOf(const SearchHit& hit) const;
    void reportRow(int row);
    void showTitle(int column);

    BaseSet* set_ = nullptr;
    SearchSession* session_ = nullptr;
    ProgramSettings* settings_ = nullptr;
    std::optional<TableMask> kind_;
    std::array<QString, kColumns> titles_;
    std::vector<std::pair<int, QAction*>> actions_;
    QMenu* menu_ = nullptr;
    MessageBoxFn messageBox_;
};

} // namespace talsk
