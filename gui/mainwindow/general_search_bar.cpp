#include "gui/mainwindow/general_search_bar.h"

#include "edit/record_editor_logic.h"
#include "gui/mainwindow/focus_rules.h"
#include "gui/mainwindow/layout_typing_filter.h"
#include "gui/widgets/accessibility.h"
#include "gui/widgets/dialog_units.h"
#include "platform/cp1251.h"
#include "search/query.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>

namespace talsk {

GeneralSearchBar::GeneralSearchBar(SearchHost& host, QWidget* parent)
    : QWidget(parent), host_(host), background_(host, SearchKind::GeneralSearch, this) {
    const DialogUnits u = frameUnits(font());
    bx_ = u.bx;
    by_ = u.by;
    find_ = new QPushButton("Найти:", this);
    find_->setObjectName("find");
    find_->setToolTip("Общий поиск - Enter");
    find_->setFocusPolicy(Qt::NoFocus);
    combo_ = new QComboBox(this);
    combo_->setObjectName("generalText");
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion: Enter searches exactly what was typed; the
    // history stays in the drop-down list.
    combo_->setCompleter(nullptr);
    combo_->setMaxCount(int(kHistoryLimit));
    combo_->lineEdit()->setMaxLength(kQueryTextMax);
    combo_->setToolTip("Общий поиск (по всем полям)");
    // The button before the box is its caption.
    nameAfterCaption(combo_, find_->text());
    nameAfterCaption(combo_->lineEdit(), find_->text());
    found_ = new QLabel("Найдено - 0", this);
    found_->setObjectName("found");
    found_->setToolTip("Количество найденных записей");
    // The combo box has the focus and hands its keys straight to its edit;
    // keys sent to the edit itself are watched there.
    auto* typing = new LayoutTypingFilter(host.baseSet(), &host.settings(), this);
    for (QWidget* w : {static_cast<QWidget*>(combo_), static_cast<QWidget*>(combo_->lineEdit())}) {
        w->installEventFilter(this);
        w->installEventFilter(typing);
    }
    connect(combo_->lineEdit(), &QLineEdit::textEdited, this, [this] { schedule(true); });
    connect(combo_, qOverload<int>(&QComboBox::activated), this, [this] { schedule(true); });
    connect(find_, &QPushButton::clicked, this, [this] { generalSearchNow(); });
    background_.clearCounters = [this] { clearFoundCounter(); };
    background_.fillRequest = [this](SearchRequest& r) {
        if (host_.searchFocus() != kFocusGeneral) return false; // the field panel is active
        const std::string t = text();
        std::snprintf(r.generalText, sizeof r.generalText, "%s", t.c_str());
        return true;
    };
    connect(&background_, &BackgroundSearch::finished, this,
            [this] { showFound(hitTotal(host_.session().state())); });
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize GeneralSearchBar::sizeHint() const {
    return QSize(int(420 * bx_), combo_->sizeHint().height() + 2);
}

int GeneralSearchBar::leastWidth() const {
    return findWidth() + int(120 * bx_) + foundWidth() + int(7 * bx_);
}

// The button and the counter keep room for their whole text.
int GeneralSearchBar::findWidth() const {
    return std::max(int(44 * bx_), find_->sizeHint().width());
}

int GeneralSearchBar::foundWidth() const {
    return std::max(int(90 * bx_), found_->fontMetrics().horizontalAdvance("Найдено - 000000") + 8);
}

void GeneralSearchBar::resizeEvent(QResizeEvent*) {
    const int w = width(), h = height();
    const int fh = combo_->sizeHint().height();
    const int y = (h - fh) / 2;
    const int findWidth = this->findWidth();
    const int foundWidth = this->foundWidth();
    find_->setGeometry(0, y, findWidth, fh);
    const int comboX = findWidth + int(bx_);
    combo_->setGeometry(comboX, y, std::max(40, w - comboX - foundWidth - int(6 * bx_)), fh);
    found_->setGeometry(w - foundWidth, y, foundWidth, fh);
}

std::string GeneralSearchBar::text() const {
    // Pasted tabs and line breaks become blanks, as in the record editor.
    std::string t = blankControlCharacters(utf8ToCp1251(combo_->currentText().toStdString()));
    if (t.size() > size_t(kQueryTextMax)) t.resize(kQueryTextMax);
    return t;
}

void GeneralSearchBar::loadHistory(SearchLog& log) {
    history_.load(takeHistory(log));
    combo_->clear();
    for (const std::string& item : history_.items())
        combo_->addItem(QString::fromStdString(cp1251ToUtf8(item)));
    combo_->setCurrentIndex(-1);
    combo_->setEditText("");
}

void GeneralSearchBar::saveHistory(SearchLog& log) const {
    setHistory(log, history_.items());
    if (history_.changed()) log.changed = 1;
}

void GeneralSearchBar::addToHistory(const std::string& t) {
    history_.add(t);
    const QString shown = QString::fromStdString(cp1251ToUtf8(t));
    combo_->blockSignals(true);
    combo_->clear();
    for (const std::string& item : history_.items())
        combo_->addItem(QString::fromStdString(cp1251ToUtf8(item)));
    combo_->setCurrentIndex(-1);
    combo_->setEditText(shown);
    combo_->blockSignals(false);
}

void GeneralSearchBar::clearText() {
    combo_->setEditText("");
}

void GeneralSearchBar::showFound(int32_t n) {
    found_->setText(QString("Найдено - %1").arg(std::max(n, 0)));
}

void GeneralSearchBar::generalSearchNow() {
    const std::string t = text();
    if (t.empty()) {
        host_.focusSearchField(-1);
        return;
    }
    SearchSession& session = host_.session();
    // Enter searches the text as it is: a pending start would only repeat it.
    background_.timer().stop();
    const int32_t n = session.generalSearch(t.c_str(), host_.searchArea());
    addToHistory(t);
    showFound(n);
    SimilarOffer offer;
    const bool offers = n == 0 && similarRequest(t.c_str(), session.area().tables, offer.request);
    if (offers) {
        offer.runWith = [this](const std::string& name) {
            combo_->setEditText(QString::fromStdString(cp1251ToUtf8(name)));
            generalSearchNow();
        };
    }
    host_.showResults(session.state(), -1, offers ? &offer : nullptr);
    host_.focusSearchField(-1);
}

void GeneralSearchBar::escape() {
    if (combo_->currentText().isEmpty()) {
        host_.minimizeWindow();
        return;
    }
    clearText();
    schedule(true);
}

bool GeneralSearchBar::eventFilter(QObject*, QEvent* event) {
    const QEvent::Type t = event->type();
    if (t == QEvent::FocusIn) {
        host_.focusChanged(0);
        return false;
    }
    if (t != QEvent::ShortcutOverride && t != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool esc = key->key() == Qt::Key_Escape;
    if ((!enter && !esc) || (key->modifiers() & ~Qt::KeypadModifier)) return false;
    if (t == QEvent::ShortcutOverride) {
        key->accept(); // Enter and Esc belong to the bar here
        return true;
    }
    if (enter)
        generalSearchNow();
    else
        escape();
    return true;
}

} // namespace talsk
