// The main window's commands: actions from the command table, menus, the
// toolbar, the update rules and the dispatch to the table's handlers.

#include "gui/mainwindow/accelerator_scope.h"
#include "gui/mainwindow/commands.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/results_table.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/text.h"

#include <QAction>
#include <QDockWidget>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace talsk {

namespace {

QList<QKeySequence> sequences(const cmd::Command& c) {
    QList<QKeySequence> list;
    for (std::string_view k : cmd::commandKeys(c))
        list.append(QKeySequence(fromUtf8(k), QKeySequence::PortableText));
    return list;
}

} // namespace

void CMainFrame::createActions() {
    for (const cmd::Command& c : cmd::commandTable()) {
        auto* a = new QAction(this);
        a->setObjectName(QString("action%1").arg(c.id));
        a->setData(c.id);
        QString text = fromUtf8(c.text);
        const QList<QKeySequence> keys = sequences(c);
        if (c.table == cmd::KeyTable::Main && !keys.isEmpty()) {
            a->setShortcuts(keys);
            a->setShortcutContext(Qt::WindowShortcut);
        } else if (!c.keyLabel.empty()) {
            text += "\t" + fromUtf8(c.keyLabel);
        } else if (!keys.isEmpty()) {
            // Keys of another window's table: shown here, acted on there.
            text += "\t" + keys.first().toString(QKeySequence::NativeText);
        }
        if (c.table == cmd::KeyTable::Main && !c.keyLabel.empty() && !keys.isEmpty())
            text += "\t" + fromUtf8(c.keyLabel);
        a->setText(text);
        a->setCheckable(c.checkable);
        a->setStatusTip(fromUtf8(c.prompt));
        if (!c.toolTip.empty()) a->setToolTip(fromUtf8(c.toolTip));
        const int id = c.id;
        connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
        addAction(a); // keys work whether or not a menu shows the action
        actions_[id] = a;
    }
}

void CMainFrame::createMenus() {
    std::map<std::string_view, QMenu*> menus;
    for (std::string_view popup : cmd::menuPopups()) {
        QMenu* m = menuBar()->addMenu(fromUtf8(popup));
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::updateActions);
        menus[popup] = m;
    }
    for (const cmd::Command& c : cmd::commandTable()) {
        if (c.menu.empty()) continue;
        auto it = menus.find(c.menu);
        if (it == menus.end()) {
            // A submenu: "Popup/Sub".
            const std::string_view parent = c.menu.substr(0, c.menu.find('/'));
            QMenu* sub = menus[parent]->addMenu(fromUtf8(c.menu.substr(c.menu.find('/') + 1)));
            it = menus.emplace(c.menu, sub).first;
        }
        if (c.id == cmd::Exit || c.id == cmd::GeneralBar || c.id == cmd::GeneralSearchMenu ||
            c.id == cmd::EditRecord || c.id == cmd::GridLines || c.id == cmd::CaseSensitive)
            it->second->addSeparator();
        it->second->addAction(actions_[c.id]);
    }
    // "Сохранить в DBF" has no handler: the item goes at start.
    menus[cmd::menuPopups()[4]]->removeAction(actions_[cmd::SaveToDbf]);
}

void CMainFrame::createToolBar() {
    toolBar_ = new QToolBar("Панель инструментов", this);
    toolBar_->setObjectName("bar32828"); // the saved bar layout's key, as the other bars'
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar_->setIconSize(QSize(21, 21));
    const QFontMetrics fm(font());
    // 53 pixels wide and 42/16 of the font's height; larger when the
    // picture and its caption would not fit.
    const int height = std::max(fm.height() * 42 / 16, 21 + fm.height() + 12);
    for (const cmd::ToolButton& b : cmd::toolbarButtons()) {
        if (b.id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = actions_[b.id];
        a->setIcon(programIcon(fromUtf8(b.icon)));
        a->setIconText(fromUtf8(b.text));
        toolBar_->addAction(a);
        if (QWidget* w = toolBar_->widgetForAction(a))
            w->setFixedSize(std::max(53, fm.horizontalAdvance(fromUtf8(b.text)) + 10), height);
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

QAction* CMainFrame::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

FrameFlags CMainFrame::frameFlags() const {
    FrameFlags f;
    f.generalBarVisible = generalBand_ && !generalBand_->isHidden();
    f.fieldPanelVisible = dock_ && !dock_->isHidden();
    f.toolBarVisible = toolBar_ && !toolBar_->isHidden();
    f.searchAreaBarVisible = areaBand_ && !areaBand_->isHidden();
    f.alwaysOnTop = alwaysOnTop_;
    f.caseSensitive = settings_.caseSensitive == 1;
    f.yoAsYe = settings_.yoAsYe == 1;
    f.gridLines = settings_.gridLines == 1;
    return f;
}

void CMainFrame::updateActions() {
    const FrameFlags flags = frameFlags();
    for (const cmd::Command& c : cmd::commandTable()) {
        QAction* a = action(c.id);
        if (a == nullptr) continue;
        const CommandState s = c.state(flags);
        a->setEnabled(s.enabled);
        if (a->isCheckable()) a->setChecked(s.checked);
    }
}

QWidget* CMainFrame::bar(int id) const {
    switch (id) {
    case cmd::GeneralBar:
        return generalBand_;
    case cmd::FieldPanel:
        return dock_;
    case cmd::ToolBar:
        return toolBar_;
    case cmd::SearchAreaBar:
        return areaBand_;
    default:
        return nullptr;
    }
}

void CMainFrame::runCommand(int id) {
    // The results table's row commands run in the table; undo has no handler.
    const cmd::Command* c = cmd::findCommand(id);
    if (c != nullptr && c->run != nullptr) c->run(*this, frameFlags());
    updateActions();
}

void CMainFrame::toggleAlwaysOnTop() {
    const QRect r = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, !alwaysOnTop_);
    setGeometry(r);
    show();
    alwaysOnTop_ = !alwaysOnTop_;
}

} // namespace talsk
