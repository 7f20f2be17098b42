#pragma once
// CMainFrame: the program's one top-level window. It owns the connected
// files, the settings and the search log, hosts the toolbar, the three search
// bars, the results table and the status bar, and runs every command.

#include "base/base_set.h"
#include "gui/mainwindow/command_rules.h"
#include "gui/mainwindow/pair_filter_filler.h"
#include "gui/mainwindow/search_host.h"
#include "search/search_session.h"

#include <QMainWindow>
#include <QStringList>

#include <map>
#include <memory>

class QDockWidget;
class QLabel;
class QToolBar;

namespace talsk {

class FieldSearchPanel;
class GeneralSearchBar;
class NoBaseHint;
class ResultsTable;
class SearchAreaBar;
struct EditorStart;

class CMainFrame : public QMainWindow, public SearchHost {
    Q_OBJECT

public:
    // settings: the record the program read at start; the window keeps a copy.
    explicit CMainFrame(const ProgramSettings& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // cmd::ReloadFiles: (re)connects the files of the settings' list.
    void loadFiles();
    // cmd::ConnectFiles: the connected-files dialog; a change reloads the set.
    void openConnectedFiles();
    // cmd::FileInfo: the file information dialog.
    void openFileInfo();
    // A second start asked this copy to come to the front.
    void bringToFront();
    // Base files named at start or handed over by a second start join the
    // list by their full paths and are connected; one that does not connect
    // leaves the list as it was.
    void openBaseFiles(const QStringList& paths);
    // "Печать ...": the rows shown under a line naming their search.
    void printResults();
    // The line above a printed list: the search that produced it and the date.
    QString listHeading() const;
    // The close sequence without closing: history, log, settings, keys.
    void saveState();
    // The program must end now (a logout, a shutdown signal): closes as
    // "Выход" does, without any question, after an open record editor has
    // written what it stored. Failures to write go to the standard error.
    void shutDown();

    // Operations offered to the bars and the results table.
    TableMask tableMaskFromBar() const override;
    FileMask fileMaskFromBar() const override;
    void refreshTotals();
    void clearSearchState();
    // "Е и Ё не различать": kept in the window's settings at once; the hits
    // no longer answer.
    void setYoAsYe(bool on);
    void showResults(const SearchState& state, int n, const SimilarOffer* offer = nullptr) override;
    void setGridKind(TableMask m, bool onlyIfEmpty);
    void setRowNumberPane(int row);
    void setRowsShownPane(int rows);
    void focusSearchField(int n) override;
    void focusChanged(int v) override;
    void fillSearchAreaBar();
    void applySettingsToUi();
    void collectUiIntoSettings();
    void showAllRecords();

    void runCommand(int id) override;
    BaseSet& baseSet() override { return set_; }
    SearchSession& session() override { return session_; }
    SearchLog& searchLog() override { return session_.log(); }
    int searchFocus() const override { return searchFocus_; }
    void resetHistoryPosition() override;
    void minimizeWindow() override;
    void addToBase(const PanelRecord& record) override;
    // The record editor, modal; the views follow what it changed.
    void openEditor(const EditorStart& start);
    // cmd::MergeFiles: the merge dialog.
    void openMergeDialog();
    // The version converter, interactive, and the key change over the
    // connected files.
    void openVersionConverter();
    void openChangeKey();
    void runDbfImport();
    // The About box, modal; the help window at a page (its contents by default).
    void openAbout();
    void openHelp(const QString& topic = QStringLiteral("index.html"));
    // "Настройки" (F9): on OK the options are validated, saved and applied.
    void openSettingsSheet();

    ProgramSettings& settings() override { return settings_; }
    uint16_t historyPosition() const { return historyPosition_; }
    TableMask gridKind() const { return gridKind_; }
    bool alwaysOnTop() const { return alwaysOnTop_; }
    QAction* action(int id) const;
    FieldSearchPanel* fieldPanel() const { return panel_; }
    GeneralSearchBar* generalBar() const { return generalBar_; }
    SearchAreaBar* searchAreaBar() const { return areaBar_; }
    ResultsTable& results() const { return *results_; }
    QString statusPaneText(int pane) const;
    FrameFlags frameFlags() const;
    // The band or dock that a bar's command shows and hides (cmd::GeneralBar,
    // FieldPanel, ToolBar, SearchAreaBar).
    QWidget* bar(int id) const;
    // "Сохранить настройки" and after the settings changed.
    void saveSettingsFile();
    // PgUp ("Вперед") and PgDown ("Назад") through the search log.
    void stepLog(bool forward);
    void toggleAlwaysOnTop();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectResults();
    // The panel's and the general bar's found counters from the hits.
    void showFoundCounts();
    // A found record deleted from its file: one hit fewer in its table.
    void forgetDeletedHit(TableKind table);
    // A warning that names what could not be written and why.
    void reportWriteFailure(const char* what, WriteError cause);
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createBars();
    void placeWindow();
    void updateActions();
    void filesChanged();
    void tablesChanged();
    void restoreBarState();
    void fitPanelToDock(Qt::DockWidgetArea area); // a column at a side, a row otherwise
    void saveBarState();
    void setPane0(const QString& text);
    void setPaneText(int pane, const QString& text);
    void fitStatusPanes();
    // The general search gets a row of its own when it and the search area
    // no longer fit side by side.
    void fitSearchBands();

    BaseSet set_;
    ProgramSettings settings_;
    // After the set: it stops the background search before the bases go.
    SearchSession session_{set_, &settings_};
    // Built after loading and after edits, while the window waits for input.
    PairFilterFiller pairFilters_{set_, session_, nullptr};
    RecordFields copyBuffer_;       // the record editors' copy and paste, for the whole run
    std::string folderNoticeShown_; // the last word about folder files left out
    TableMask gridKind_ = 0;
    uint16_t historyPosition_ = 0;
    int searchFocus_ = -1;
    bool alwaysOnTop_ = false;
    bool closing_ = false;
    bool shuttingDown_ = false; // nobody is there to answer a message box
    bool bandBreak_ = false;    // fitSearchBands put the general search on its own row
    FileMask fileMask_{};
    std::map<int, QAction*> actions_;
    ResultsTable* results_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolBar* areaBand_ = nullptr;
    QToolBar* generalBand_ = nullptr;
    QDockWidget* dock_ = nullptr;
    SearchAreaBar* areaBar_ = nullptr;
    GeneralSearchBar* generalBar_ = nullptr;
    FieldSearchPanel* panel_ = nullptr;
    QLabel* panes_[4] = {};
    NoBaseHint* noBaseHint_ = nullptr;
};

} // namespace talsk
