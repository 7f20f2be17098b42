#include "gui/mainwindow/main_frame.h"

#include "base/key_store.h"
#include "base/loading.h"
#include "edit/record_editor_logic.h"
#include "gui/editor/record_editor.h"
#include "gui/mainwindow/accelerator_scope.h"
#include "gui/mainwindow/background_search.h"
#include "gui/mainwindow/commands.h"
#include "gui/mainwindow/field_search_panel.h"
#include "gui/mainwindow/general_search_bar.h"
#include "gui/mainwindow/loading_host.h"
#include "gui/mainwindow/no_base_hint.h"
#include "gui/mainwindow/results_table.h"
#include "gui/mainwindow/search_area_bar.h"
#include "gui/widgets/accessibility.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/text.h"
#include "gui/widgets/user_settings.h"
#include "gui/widgets/word_label.h"
#include "platform/cp1251.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <cstdio>

// The pictures live in the window layer's library.
static void initFrameResources() {
    Q_INIT_RESOURCE(frame);
}

namespace talsk {

namespace {

const char* kBarStateKey = "settings/toolbar";
const char* kYoAsYeKey = "settings/yoAsYe";

// How the window was shown when its place was kept (the placement's showCmd).
constexpr uint32_t kShowNormal = 1;
constexpr uint32_t kShowMaximized = 3;

} // namespace

CMainFrame::CMainFrame(const ProgramSettings& settings, QWidget* parent)
    : QMainWindow(parent), settings_(settings) {
    initFrameResources();
    setObjectName("CMainFrame");
    setWindowTitle(fromUtf8(kWindowTitle));
    setWindowIcon(programIcon(":/icons/talsk.svg"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Window creation.
    results_ = new ResultsTable(this);
    results_->setBaseSet(&set_, &session_, &settings_);
    setCentralWidget(results_);
    noBaseHint_ = new NoBaseHint(results_->viewport());
    createActions();
    createMenus();
    createToolBar();
    createBars();
    createStatusBar();
    // The arrow Qt shows when a bar is too short for its buttons has no text.
    for (QToolBar* bar : findChildren<QToolBar*>())
        if (auto* more = bar->findChild<QToolButton*>("qt_toolbar_ext_button"))
            more->setAccessibleName("Другие кнопки");
    restoreBarState();
    // Initialisation.
    set_.folder = settings_.programFolder;
    settings_.yoAsYe = userSettings().value(kYoAsYeKey, false).toBool() ? 1 : 0;
    loadLayoutTable(set_.layout);
    placeWindow();
    fillSearchAreaBar();
    loadLog(session_.log(), settings_, settings_.programFolder);
    generalBar_->loadHistory(session_.log());
    applySettingsToUi();
    historyPosition_ = static_cast<uint16_t>(session_.log().count);
    connectResults();
    updateActions();
}

// The results table keeps its own keys and commands; what it leaves to the
// window arrives here.
void CMainFrame::connectResults() {
    connect(results_, &ResultsTable::rowsShownChanged, this, &CMainFrame::setRowsShownPane);
    connect(results_, &ResultsTable::cleared, this,
            [this] { setGridKind(tableMaskFromBar(), true); });
    connect(results_, &ResultsTable::currentRowInfo, this, [this](int row, const QString& info) {
        setRowNumberPane(row);
        if (panel_) panel_->setRecordInfo(info);
    });
    connect(results_, &ResultsTable::showAllRecordsRequested, this, &CMainFrame::showAllRecords);
    connect(results_, &ResultsTable::minimizeRequested, this, &CMainFrame::minimizeWindow);
    connect(results_, &ResultsTable::editRecordRequested, this, [this](SearchHit hit) {
        openEditor({hit, std::nullopt});
    });
    connect(results_, &ResultsTable::printRequested, this, &CMainFrame::printResults);
    connect(results_, &ResultsTable::recordDeleted, this, [this](SearchHit hit) {
        refreshTotals();
        session_.markStale(); // the hits' record numbers moved
        forgetDeletedHit(hit.table);
        pairFilters_.start(); // the deletion cleared its table's filter
    });
}

CMainFrame::~CMainFrame() {
    // No worker may outlive the bases it reads, and at shutdown nobody can be
    // asked: wait for as long as it takes.
    while (!session_.cancel()) {
    }
    // The bars report their hiding while the window's bases go away.
    for (QObject* bar :
         std::initializer_list<QObject*>{toolBar_, areaBand_, generalBand_, dock_, areaBar_})
        bar->disconnect(this);
    // The search bars go while the window is whole: the focus they give up
    // is reported to it.
    QWidget* dock = dock_;
    QWidget* general = generalBand_;
    panel_ = nullptr;
    delete dock;
    generalBar_ = nullptr;
    delete general;
}

void CMainFrame::createBars() {
    areaBar_ = new SearchAreaBar(this);
    connect(areaBar_, &SearchAreaBar::filesChanged, this, &CMainFrame::filesChanged);
    connect(areaBar_, &SearchAreaBar::tablesChanged, this, &CMainFrame::tablesChanged);
    areaBand_ = new QToolBar("Область поиска", this);
    // The bars' names are the keys of their layout saved in the user's
    // settings: numbers as they were, or a saved layout would be lost.
    areaBand_->setObjectName("bar32829");
    areaBand_->addWidget(areaBar_);
    // The toolbar has the first row; the search area and the general search
    // share the second.
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, areaBand_);

    generalBar_ = new GeneralSearchBar(*this, this);
    generalBand_ = new QToolBar("Общий поиск", this);
    generalBand_->setObjectName("bar32802");
    generalBand_->addWidget(generalBar_);
    addToolBar(Qt::TopToolBarArea, generalBand_);

    panel_ = new FieldSearchPanel(*this, this);
    dock_ = new QDockWidget("Поиск по полям", this);
    dock_->setObjectName("bar32830");
    // A window narrower than the panel's row scrolls the row instead of
    // being held wide by it.
    auto* scroller = new QScrollArea(dock_);
    scroller->setObjectName("fieldPanelScroller");
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidgetResizable(true);
    scroller->setWidget(panel_);
    dock_->setWidget(scroller);
    dock_->setAllowedAreas(Qt::AllDockWidgetAreas);
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    addDockWidget(Qt::BottomDockWidgetArea, dock_);
    // A column at the left or right, a row at the top or bottom or floating.
    connect(dock_, &QDockWidget::dockLocationChanged, this, &CMainFrame::fitPanelToDock);
    connect(dock_, &QDockWidget::topLevelChanged, this, [this](bool floating) {
        if (!floating) return;
        panel_->setOrientation(PanelOrientation::Horizontal);
        // Its own size, not the length of the side it left.
        const QSize frame = dock_->size() - dock_->widget()->size();
        dock_->resize(panel_->sizeFor(PanelOrientation::Horizontal) + frame);
    });
    // The panel's and the results table's own keys come before the window's.
    new AcceleratorScope(panel_, AcceleratorScope::tableKeys(cmd::KeyTable::FieldPanel),
                         [this](int id) { panel_->runCommand(id); });
    for (QWidget* bar : {static_cast<QWidget*>(toolBar_), static_cast<QWidget*>(areaBand_),
                         static_cast<QWidget*>(generalBand_), static_cast<QWidget*>(dock_)}) {
        if (auto* tb = qobject_cast<QToolBar*>(bar))
            connect(tb, &QToolBar::visibilityChanged, this, &CMainFrame::updateActions);
        else
            connect(dock_, &QDockWidget::visibilityChanged, this, &CMainFrame::updateActions);
    }
}

namespace {
// The panes' first texts and the room around them in a wide window.
const struct {
    const char* text;
    int extra;
} kPanes[4] = {{" ", 0}, {"0", 40}, {"Выведено строк - 0", 34}, {"Всего записей - 0", 34}};
} // namespace

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    const auto& panes = kPanes;
    for (int i = 0; i < 4; ++i) {
        panes_[i] = i == 0 ? new WordLabel(panes[i].text, bar) : new QLabel(panes[i].text, bar);
        panes_[i]->setObjectName(QString("pane%1").arg(i));
        if (i == 0) {
            panes_[i]->setMinimumWidth(1); // long prompts are cut, never widen the window
            bar->addWidget(panes_[i], 1);
        } else {
            // The room around the text, not a fixed width that a longer
            // number would overflow into its neighbour.
            panes_[i]->setAlignment(Qt::AlignCenter);
            panes_[i]->setContentsMargins(panes[i].extra / 2, 0, panes[i].extra / 2, 0);
            bar->addPermanentWidget(panes_[i]);
        }
    }
    // The row number alone does not say what it is; the others read whole.
    nameCounter(panes_[1], "Текущая строка");
}

// The room around the panes' texts while the window has it; a narrow window
// keeps their texts whole instead.
void CMainFrame::fitStatusPanes() {
    QStatusBar* bar = statusBar();
    int need = bar->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing) * 4 + 24;
    for (int i = 1; i < 4; ++i)
        need += panes_[i]->fontMetrics().horizontalAdvance(panes_[i]->text()) + kPanes[i].extra + 8;
    const bool roomy = width() >= need;
    for (int i = 1; i < 4; ++i) {
        const int side = roomy ? kPanes[i].extra / 2 : 2;
        panes_[i]->setContentsMargins(side, 0, side, 0);
    }
}

// The commands' prompts shown over the first pane end at a word too.
bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        const int room = (panes_[1] ? panes_[1]->x() : statusBar()->width()) - 12;
        statusBar()->showMessage(wholeWords(tip, statusBar()->fontMetrics(), room));
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::setPaneText(int pane, const QString& text) {
    panes_[pane]->setText(text);
    fitStatusPanes();
}

QString CMainFrame::statusPaneText(int pane) const {
    if (pane == 0 && !statusBar()->currentMessage().isEmpty()) return statusBar()->currentMessage();
    return pane >= 0 && pane < 4 ? panes_[pane]->text() : QString();
}

void CMainFrame::setPane0(const QString& text) {
    panes_[0]->setText(text);
    panes_[0]->repaint(); // loading runs without returning to the event loop
}

void CMainFrame::setRowNumberPane(int row) {
    setPaneText(1, row < 0 ? QString("-") : QString::number(row + 1));
}

void CMainFrame::setRowsShownPane(int rows) {
    setPaneText(2, QString("Выведено строк - %1").arg(rows));
}

void CMainFrame::placeWindow() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const DialogUnits u = frameUnits(font());
    // Wide enough for the field panel's row when the screen has the room
    // (large fonts), so that it opens whole rather than scrolled.
    const int wide = std::max(std::min(u.x(800), screen.width() * 9 / 10),
                              std::min(panel_->minimumWidth() + u.x(8), screen.width()));
    resize(wide, std::min(u.y(560), screen.height() * 9 / 10));
    const WindowPlacement& p = settings_.windowPlacement;
    if (settings_.rememberWindowPosition == 1) {
        // A saved rectangle off the screen is ignored; one that no longer
        // fits (saved on a larger screen) is made smaller and centred.
        if (p.left < screen.width() && p.top < screen.height() && p.right > 0 && p.bottom > 0 &&
            p.right > p.left && p.bottom > p.top) {
            QRect saved(p.left, p.top, p.right - p.left, p.bottom - p.top);
            const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
            if (!avail.contains(saved)) {
                saved.setSize(saved.size().boundedTo(avail.size() * 9 / 10));
                saved.moveCenter(avail.center());
            }
            setGeometry(saved);
        }
        if (p.showCmd == kShowMaximized) setWindowState(Qt::WindowMaximized);
    } else {
        const QRect r(QPoint(0, 0), size());
        move(QGuiApplication::primaryScreen()->availableGeometry().center() - r.center());
    }
}

void CMainFrame::fitPanelToDock(Qt::DockWidgetArea area) {
    const bool side = area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea;
    const PanelOrientation o = side ? PanelOrientation::Vertical : PanelOrientation::Horizontal;
    panel_->setOrientation(o);
    // The dock takes the panel's size for its new side; a row is never cut
    // short (styles differ in what a scroll area asks for), a column scrolls.
    const QSize size = panel_->sizeFor(o);
    dock_->widget()->setMinimumHeight(side ? 0 : size.height());
    resizeDocks({dock_}, {side ? size.width() : size.height()},
                side ? Qt::Horizontal : Qt::Vertical);
}

void CMainFrame::restoreBarState() {
    const QByteArray state = userSettings().value(kBarStateKey).toByteArray();
    if (state.isEmpty()) {
        fitPanelToDock(Qt::BottomDockWidgetArea); // the first start
        return;
    }
    // The panel's minimum follows its current orientation; a row panel is
    // wider than a side leaves room for, and the restore would put it back
    // at the bottom. Any side fits while the bars are restored.
    panel_->setMinimumSize(0, 0);
    restoreState(state);
    bandBreak_ = false;
    fitSearchBands();
    if (!dock_->isFloating())
        fitPanelToDock(dockWidgetArea(dock_));
    else
        panel_->setOrientation(PanelOrientation::Horizontal);
}

void CMainFrame::saveBarState() {
    // The row that a narrow window gave the general search is not the user's.
    if (bandBreak_) removeToolBarBreak(generalBand_);
    userSettings().setValue(kBarStateKey, QMainWindow::saveState());
    if (bandBreak_) insertToolBarBreak(generalBand_);
}

void CMainFrame::setYoAsYe(bool on) {
    settings_.yoAsYe = on ? 1 : 0;
    userSettings().setValue(kYoAsYeKey, on);
    clearSearchState();
    updateActions();
}

void CMainFrame::applySettingsToUi() {
    QComboBox* files = areaBar_->files();
    QComboBox* tables = areaBar_->tables();
    files->setCurrentIndex(listChoice(settings_.searchFilesChoice, files->count()));
    tables->setCurrentIndex(listChoice(settings_.searchTablesChoice, tables->count()));
    if (session_.log().capacity != settings_.searchLogCapacity)
        (void)resizeLog(session_.log(), settings_.searchLogCapacity); // the capacity is validated
    results_->applySettings(settings_);
    searchFocus_ = settings_.startFocus <= 7 ? settings_.startFocus : 7;
    fileMask_ = settings_.fileMask;
    tablesChanged();
    refreshTotals();
    restoreBarState();
    focusSearchField(-1);
    updateActions();
}

void CMainFrame::collectUiIntoSettings() {
    WindowPlacement& p = settings_.windowPlacement;
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    p.length = sizeof(WindowPlacement);
    p.showCmd = isMaximized() ? kShowMaximized : kShowNormal;
    p.left = r.left();
    p.top = r.top();
    p.right = r.left() + r.width();
    p.bottom = r.top() + r.height();
    settings_.searchFilesChoice = static_cast<int16_t>(areaBar_->files()->currentIndex());
    settings_.searchTablesChoice = static_cast<uint8_t>(areaBar_->tables()->currentIndex());
    settings_.alwaysOnTop = alwaysOnTop_ ? 1 : 0;
    results_->collectIntoSettings(settings_);
    settings_.fileMask = fileMask_;
    saveBarState();
}

void CMainFrame::loadFiles() {
    // Held for the whole load: its questions run event loops in which a bar's
    // timer could otherwise start a search over the set being rebuilt.
    const SearchPause pause(session_);
    LoadingHooks hooks;
    hooks.showStatus = [this](const QString& text) { setPane0(text); };
    hooks.cancelSearch = [&pause] { return pause.stopped(); };
    hooks.sizeResultStore = [this](BaseSet&) { session_.sizeHits(); };
    hooks.refreshViews = [this](BaseSet&) {
        fillSearchAreaBar();
        applySettingsToUi();
        refreshTotals();
        clearSearchState();
        historyPosition_ = static_cast<uint16_t>(session_.log().count);
    };
    hooks.editConnectedFiles = [this] { openConnectedFiles(); };
    QtLoadingHost host(this, std::move(hooks));
    KeyStore keys(KeyStore::defaultPath());
    Loader loader(set_, settings_, host, &keys, &folderNoticeShown_);
    // The totals show first; the filters follow while the window is idle.
    loader.leavePairFilters();
    const LoadReport report = loader.run();
    pairFilters_.start();
    if (report.searchStillRunning) tellSearchStillRunning(this);
    if (report.keysNotSaved != WriteError::None)
        reportWriteFailure("Не удалось запомнить ключи", report.keysNotSaved);
}

void CMainFrame::reportWriteFailure(const char* what, WriteError cause) {
    if (shuttingDown_) {
        std::fprintf(stderr, "talsk: %s: %s\n", what, writeErrorText(cause));
        return;
    }
    QMessageBox::warning(this, "Ошибка",
                         QString::fromUtf8(what) + ": " + QString::fromUtf8(writeErrorText(cause)));
}

void CMainFrame::saveSettingsFile() {
    // Such a name cannot be written back as itself; nothing is written then.
    const std::string unstorable = firstUnstorablePath(settings_);
    if (!unstorable.empty()) {
        QMessageBox::warning(this, "Ошибка",
                             QString::fromStdString(unstorablePathMessage(unstorable)));
        return;
    }
    WriteError cause = WriteError::None;
    if (!saveSettings(settings_, &cause))
        reportWriteFailure("Не удалось сохранить настройки", cause);
}

void CMainFrame::saveState() {
    generalBar_->saveHistory(session_.log());
    WriteError cause = WriteError::None;
    if (!saveLog(session_.log(), settings_.programFolder, &cause))
        reportWriteFailure("Не удалось сохранить журнал поиска", cause);
    collectUiIntoSettings();
    saveSettingsFile();
    if (!KeyStore(KeyStore::defaultPath()).saveKeys(set_, &cause))
        reportWriteFailure("Не удалось запомнить ключи", cause);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!shuttingDown_ && settings_.confirmExit == 1 &&
        QMessageBox::question(this, fromUtf8(kAppTitle), "Выйти из программы",
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    // Nothing saved here is read by a worker; the destructor waits for it.
    session_.interrupt();
    saveState();
    event->accept();
}

void CMainFrame::shutDown() {
    if (shuttingDown_) return;
    shuttingDown_ = true;
    if (auto* editor = findChild<RecordEditor*>()) editor->closeNow();
    close();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fitSearchBands();
    fitStatusPanes();
}

void CMainFrame::fitSearchBands() {
    if (!areaBand_ || !generalBand_ || !generalBar_ ||
        toolBarArea(areaBand_) != Qt::TopToolBarArea ||
        toolBarArea(generalBand_) != Qt::TopToolBarArea)
        return;
    const int need = areaBand_->sizeHint().width() + generalBar_->leastWidth() +
                     style()->pixelMetric(QStyle::PM_ToolBarHandleExtent) * 2;
    const bool split = width() < need;
    if (split && !toolBarBreak(generalBand_)) {
        insertToolBarBreak(generalBand_);
        bandBreak_ = true;
    } else if (!split && bandBreak_) {
        removeToolBarBreak(generalBand_);
        bandBreak_ = false;
    }
}

void CMainFrame::bringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void CMainFrame::minimizeWindow() {
    showMinimized();
}

void CMainFrame::mouseMoveEvent(QMouseEvent* event) {
    // The free client area moves the window as its caption does.
    if ((event->buttons() & Qt::LeftButton) && windowHandle()) windowHandle()->startSystemMove();
    QMainWindow::mouseMoveEvent(event);
}

void CMainFrame::focusInEvent(QFocusEvent* event) {
    QMainWindow::focusInEvent(event);
    results_->setFocus();
}

} // namespace talsk
