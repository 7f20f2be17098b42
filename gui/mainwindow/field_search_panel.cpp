#include "gui/mainwindow/field_search_panel.h"

#include "edit/record_editor_logic.h"
#include "gui/mainwindow/commands.h"
#include "gui/mainwindow/layout_typing_filter.h"
#include "gui/mainwindow/panel_record.h"
#include "gui/search/search_log_dialog.h"
#include "gui/widgets/accessibility.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/picture_button.h"
#include "platform/cp1251.h"
#include "search/search_log.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>

namespace talsk {

namespace {

// SearchFocus value -> record field of its input.
constexpr std::array<int, 8> kFieldOfFocus = {0, 7, 2, 3, 4, 5, 6, 1};
constexpr std::array<const char*, 8> kInputName = {"",      "comment",   "surname",      "street",
                                                   "house", "apartment", "organization", "phone"};
constexpr std::array<const char*, 8> kInputTip = {
    "",           "Поиск комментария", "Фамилия/Должность",    "Название улицы",
    "Номер дома", "Номер квартиры",    "Название организации", "Телефон"};

struct Picture {
    int id;
    const char* image;
    const char* caption;
    const char* tip;
    PicturePosition position; // with its caption
};
// The panel's picture buttons, left to right.
constexpr std::array<Picture, 5> kPictures = {{
    {cmd::FieldSearchNow, ":/icons/search.svg", "Поиск", "Поиск - Enter", PicturePosition::Left},
    {cmd::AddToBase, ":/icons/add.svg", "Добавить", "Добавить содержимое полей в базу - Ins",
     PicturePosition::Left},
    {cmd::LogBack, ":/icons/back.svg", "Назад", "Данные предыдущего поиска - PgDown",
     PicturePosition::Left},
    {cmd::SearchLogDialog, ":/icons/log.svg", "Журнал", "Журнал поиска - F6",
     PicturePosition::Left},
    {cmd::LogForward, ":/icons/forward.svg", "Вперед", "Данные следующего поиска - PgUp",
     PicturePosition::Right},
}};

QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

FieldSearchPanel::FieldSearchPanel(SearchHost& host, QWidget* parent)
    : QWidget(parent), host_(host), background_(host, SearchKind::FieldSearch, this) {
    const DialogUnits u = frameUnits(font());
    bx_ = u.bx;
    by_ = u.by;
    createControls();
    background_.clearCounters = [this] { clearFoundCounters(); };
    background_.fillRequest = [this](SearchRequest& r) {
        const int f = host_.searchFocus();
        if (f < kFocusComment || f > kFocusPhone) return false; // the general search is active
        r.fieldTexts = query();
        return true;
    };
    connect(&background_, &BackgroundSearch::finished, this, [this] { showFoundCounters(); });
    setOrientation(PanelOrientation::Horizontal);
}

void FieldSearchPanel::createControls() {
    auto* typing = new LayoutTypingFilter(host_.baseSet(), this);
    for (int f = 1; f <= 7; ++f) {
        auto* e = new QLineEdit(this);
        e->setObjectName(kInputName[f]);
        e->setMaxLength(kQueryTextMax);
        e->setToolTip(kInputTip[f]);
        e->installEventFilter(this);
        e->installEventFilter(typing);
        connect(e, &QLineEdit::textChanged, this, [this] { schedule(true); });
        inputs_[f] = e;
    }
    comment_ = label("commentLabel", "Комментарий:", this);
    surname_ = label("surnameLabel", "Фамилия/Должность:", this);
    street_ = label("streetLabel", "Улица,", this);
    houseUnit_ = label("houseUnitLabel", "Дом, Квартира", this);
    organization_ = label("organizationLabel", "Название организации:", this);
    phone_ = label("phoneLabel", "Номер телефона:", this);
    clear_ = new QPushButton("Очистка  -  Esc", this);
    clear_->setObjectName("clear");
    clear_->setToolTip("Очистить все поля - Esc");
    clear_->setFocusPolicy(Qt::NoFocus);
    connect(clear_, &QPushButton::clicked, this, [this] { runCommand(cmd::ClearFieldsButton); });
    for (size_t i = 0; i < kPictures.size(); ++i)
        pictures_[i] = makePictureButton(
            kPictures[i].id, kPictures[i].image, kPictures[i].tip,
            [this](int id) { runCommand(id); }, this);
    const std::array<const char*, 3> tables = {"population", "organizations", "cityCodes"};
    for (int k = 0; k < 3; ++k) {
        found_[k] = label("", "-", this);
        found_[k]->setObjectName(QString("%1Found").arg(tables[k]));
        totals_[k] = label("", "-", this);
        totals_[k]->setObjectName(QString("%1Total").arg(tables[k]));
        rowLabels_[k] = label("", "", this);
        rowLabels_[k]->setObjectName(QString("%1Row").arg(tables[k]));
    }
    foundTitle_ = label("foundTitle", "Найдено", this);
    totalTitle_ = label("totalTitle", "Всего ", this);
    info_ = label("recordInfo", "", this);
    info_->setWordWrap(true);
    info_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hLine_ = new QFrame(this);
    hLine_->setObjectName("picturesSeparator");
    hLine_->setFrameShape(QFrame::HLine);
    hLine_->setFrameShadow(QFrame::Sunken);
    vLine_ = new QFrame(this);
    vLine_->setObjectName("infoSeparator");
    vLine_->setFrameShape(QFrame::VLine);
    vLine_->setFrameShadow(QFrame::Sunken);
    // The counters by their row and column in the horizontal layout, which
    // names the tables in full.
    const std::array<const char*, 3> counted = {"Население", "Организации", "Код города"};
    for (int k = 0; k < 3; ++k) {
        nameCounter(found_[k], QString("%1, Найдено").arg(counted[k]));
        nameCounter(totals_[k], QString("%1, Всего").arg(counted[k]));
    }
    nameControls();
}

// Each input is named by its label as it reads now; house and unit share
// one label, "Дом, Квартира", a word each.
void FieldSearchPanel::nameControls() {
    const std::array<std::pair<QLabel*, int>, 5> labelled = {{{comment_, kFocusComment},
                                                              {surname_, kFocusSurname},
                                                              {street_, kFocusStreet},
                                                              {organization_, kFocusOrganization},
                                                              {phone_, kFocusPhone}}};
    for (const auto& [l, focus] : labelled) {
        l->setBuddy(inputs_[focus]);
        nameAfterCaption(inputs_[focus], l->text());
    }
    houseUnit_->setBuddy(inputs_[kFocusHouse]);
    const QStringList words = houseUnit_->text().split(u',');
    nameAfterCaption(inputs_[kFocusHouse], words.value(0));
    nameAfterCaption(inputs_[kFocusApartment], words.value(1));
    // A label emptied for the tables searched leaves the tool tip to name it.
    for (int f = 1; f <= 7; ++f)
        if (inputs_[f]->accessibleName().isEmpty())
            nameAfterCaption(inputs_[f], inputs_[f]->toolTip());
}

QSize FieldSearchPanel::sizeFor(PanelOrientation o) const {
    if (o == PanelOrientation::Horizontal) return QSize(int(687 * bx_), int(156 * by_));
    return QSize(int(174 * bx_), int(420 * by_));
}

void FieldSearchPanel::setOrientation(PanelOrientation o) {
    orientation_ = o;
    const bool h = o == PanelOrientation::Horizontal;
    for (size_t i = 0; i < kPictures.size(); ++i)
        setPictureButtonFace(pictures_[i], h ? kPictures[i].caption : "",
                             h ? kPictures[i].position : PicturePosition::Above);
    const std::array<const char*, 3> rows =
        h ? std::array<const char*, 3>{"Население:", "Организации:", "Код города:"}
          : std::array<const char*, 3>{"Насел.:", "Орган.:", "Код гор.:"};
    for (int k = 0; k < 3; ++k)
        rowLabels_[k]->setText(rows[k]);
    vLine_->setVisible(h);
    setMinimumSize(sizeFor(o));
    layOut();
}

void FieldSearchPanel::resizeEvent(QResizeEvent*) {
    layOut();
}

void FieldSearchPanel::layOut() {
    const double bx = bx_, by = by_;
    auto place = [&](QWidget* w, double x, double y, double cx, double cy) {
        w->setGeometry(int(x * bx), int(y * by), int(cx * bx), int(cy * by));
    };
    // Labels take their own text height, centred on the row of 21 units.
    auto placeLabel = [&](QLabel* l, double x, double y, double cx) {
        const int hText = l->sizeHint().height();
        l->setGeometry(int(x * bx), int(y * by) + (int(21 * by) - hText) / 2, int(cx * bx), hText);
    };
    if (orientation_ == PanelOrientation::Horizontal) {
        // 75 units apart, or the widest button's width when that is more.
        int button = int(72 * bx);
        for (QWidget* p : pictures_)
            button = std::max(button, p->sizeHint().width());
        const int step = std::max(int(75 * bx), button + int(3 * bx));
        // Each as wide as its own face, so that a picture stays by its caption.
        // From 110 units, or further left when the last would cross the
        // separator into the record information.
        const int last = int(pictures_.size()) - 1;
        const int rowEnd = int(488 * bx);
        const int first = std::max(
            0, std::min(int(110 * bx), rowEnd - step * last - pictures_[last]->sizeHint().width()));
        for (size_t i = 0; i < pictures_.size(); ++i)
            pictures_[i]->setGeometry(first + step * int(i), 0, pictures_[i]->sizeHint().width(),
                                      int(29 * by));
        place(hLine_, 0, 30, 490, 2);
        place(vLine_, 490, 0, 2, 156);
        // The inputs start at 150 units, or later when a label needs the room;
        // their right edge stays.
        auto textWidth = [](const QLabel* l) { return l->sizeHint().width(); };
        const int gap = int(4 * bx);
        const int streetText = textWidth(street_);
        int labels = streetText + gap + textWidth(houseUnit_);
        for (const QLabel* l : {comment_, surname_, organization_, phone_})
            labels = std::max(labels, textWidth(l));
        const int left = int(20 * bx);
        const int x = std::max(int(150 * bx), left + labels + gap * 2);
        const int w = int(487 * bx) - x, h = int(21 * by);
        auto at = [&](double units) { return int(units * by); };
        auto labelAt = [&](QLabel* l, int lx, int y, int cx) {
            const int hText = l->sizeHint().height();
            l->setGeometry(lx, y + (h - hText) / 2, cx, hText);
        };
        const int rowComment = at(35), rowSurname = at(60), rowStreet = at(83), rowOrg = at(106),
                  rowPhone = at(129);
        labelAt(comment_, left, rowComment, x - left);
        inputs_[kFocusComment]->setGeometry(x, rowComment, w, h);
        labelAt(surname_, left, rowSurname, x - left);
        inputs_[kFocusSurname]->setGeometry(x, rowSurname, w, h);
        labelAt(street_, left, rowStreet, streetText);
        labelAt(houseUnit_, left + streetText + gap, rowStreet, x - left - streetText - gap);
        const int fifth = w / 5;
        inputs_[kFocusStreet]->setGeometry(x, rowStreet, w - 2 * fifth - gap, h);
        inputs_[kFocusHouse]->setGeometry(x + w - 2 * fifth, rowStreet, fifth - gap, h);
        inputs_[kFocusApartment]->setGeometry(x + w - fifth, rowStreet, fifth, h);
        labelAt(organization_, left, rowOrg, x - left);
        inputs_[kFocusOrganization]->setGeometry(x, rowOrg, w, h);
        labelAt(phone_, left, rowPhone, x - left);
        inputs_[kFocusPhone]->setGeometry(x, rowPhone, w / 2 - gap / 2, h);
        clear_->setGeometry(x + w / 2 + gap / 2, rowPhone, w - w / 2 - gap / 2, h);
        // The counters: "Найдено" from 580 units and "Всего " from 635, or
        // later when the row labels need the room.
        const int infoX = int(500 * bx);
        place(info_, 500, 9, 182, 46);
        int rowText = 0;
        for (const QLabel* l : rowLabels_)
            rowText = std::max(rowText, textWidth(l));
        const int foundX = std::max(int(580 * bx), infoX + rowText + gap * 2);
        const int column = std::max(int(55 * bx), textWidth(foundTitle_) + gap * 2);
        const int totalX = foundX + column;
        labelAt(foundTitle_, foundX, at(60), column);
        labelAt(totalTitle_, totalX, at(60), column);
        for (int k = 0; k < 3; ++k) {
            const int y = rowStreet + at(23 * k);
            labelAt(rowLabels_[k], infoX, y, foundX - infoX);
            labelAt(found_[k], foundX, y, column);
            labelAt(totals_[k], totalX, y, width() - totalX);
        }
    } else {
        for (size_t i = 0; i < pictures_.size(); ++i)
            place(pictures_[i], 10 + 31 * i, 2, 29, 29);
        place(hLine_, 4, 34, 166, 2);
        const double x = 8, w = 160, h = 21, step = 37;
        auto labelAbove = [&](QLabel* l, double y) {
            l->setGeometry(int(x * bx), int((y - 17) * by), int(w * bx), l->sizeHint().height());
        };
        auto row = [&](QLabel* l, int focus, double y) {
            labelAbove(l, y);
            place(inputs_[focus], x, y, w, h);
        };
        row(comment_, kFocusComment, 54);
        row(surname_, kFocusSurname, 54 + step);
        row(street_, kFocusStreet, 54 + 2 * step);
        labelAbove(houseUnit_, 54 + 3 * step);
        place(inputs_[kFocusHouse], x, 54 + 3 * step, w / 2 - 2, h);
        place(inputs_[kFocusApartment], x + w / 2 + 2, 54 + 3 * step, w / 2 - 2, h);
        row(organization_, kFocusOrganization, 54 + 4 * step);
        row(phone_, kFocusPhone, 54 + 5 * step);
        place(clear_, x, 54 + 6 * step - 8, w, 23);
        placeLabel(foundTitle_, 65, 300, 50);
        placeLabel(totalTitle_, 116, 300, 50);
        for (int k = 0; k < 3; ++k) {
            const double y = 320 + 19 * k;
            placeLabel(rowLabels_[k], x, y, 56);
            placeLabel(found_[k], 65, y, 50);
            placeLabel(totals_[k], 116, y, 50);
        }
        place(info_, x, 396, w, 60);
    }
}

FieldQueryText FieldSearchPanel::query() const {
    FieldQueryText q;
    for (int f = 1; f <= 7; ++f)
        // Pasted tabs and line breaks become blanks, as in the record editor.
        q.set(kFieldOfFocus[f],
              blankControlCharacters(utf8ToCp1251(inputs_[f]->text().toStdString())).c_str());
    return q;
}

void FieldSearchPanel::setQuery(const FieldQueryText& q) {
    for (int f = 1; f <= 7; ++f)
        inputs_[f]->setText(QString::fromStdString(cp1251ToUtf8(q.slot(kFieldOfFocus[f]))));
}

int FieldSearchPanel::focusOf(const QObject* o) const {
    for (int f = 1; f <= 7; ++f)
        if (inputs_[f] == o) return f;
    return -1;
}

void FieldSearchPanel::relabel(TableMask m) {
    QLineEdit* house = inputs_[kFocusHouse];
    QLineEdit* unit = inputs_[kFocusApartment];
    QLineEdit* org = inputs_[kFocusOrganization];
    if (m == kMaskCityCodes) {
        houseUnit_->hide();
        for (QLineEdit* e : {unit, house, org}) {
            e->setEnabled(false);
            e->clear();
        }
        surname_->setText("Название города:");
        street_->setText("Справочная:");
        phone_->setText("Код города:");
        organization_->setText("");
        houseUnit_->setText("");
        comment_->setText("Комментарий:");
        inputs_[kFocusPhone]->setToolTip("Код города");
        inputs_[kFocusSurname]->setToolTip("Название города");
        inputs_[kFocusStreet]->setToolTip("Номер справочной");
        nameControls();
        layOut(); // the labels' widths follow their new texts
        return;
    }
    unit->setEnabled(true);
    house->setEnabled(true);
    street_->setText("Улица,");
    phone_->setText("Номер телефона:");
    houseUnit_->show();
    comment_->setText("Комментарий:");
    inputs_[kFocusPhone]->setToolTip("Номер телефона");
    inputs_[kFocusStreet]->setToolTip("Название улицы");
    house->setToolTip("Номер дома");
    org->setToolTip("Название организации");
    const bool orgs = m & kMaskOrganizations, people = m & kMaskPopulation;
    org->setEnabled(orgs);
    if (orgs) {
        organization_->setText("Название организации:");
    } else {
        org->clear();
        organization_->setText("");
    }
    if (!orgs) {
        surname_->setText("Фамилия И.О.:");
        inputs_[kFocusSurname]->setToolTip("Фамилия И.О.");
    } else if (people) {
        surname_->setText("Фамилия/Должность:");
        inputs_[kFocusSurname]->setToolTip("Фамилия И.О./Должность");
    } else {
        surname_->setText("Должность:");
        inputs_[kFocusSurname]->setToolTip("Должность");
    }
    houseUnit_->setText(people ? "Дом, Квартира" : "Дом, Кабинет");
    unit->setToolTip(people ? "Номер квартиры" : "Номер кабинета");
    nameControls();
    layOut();
}

void FieldSearchPanel::clearFoundCounters() {
    for (QLabel* l : found_)
        l->clear();
}

void FieldSearchPanel::showFoundCounters() {
    const SearchState& st = host_.session().state();
    found_[0]->setText(QString::fromStdString(counterText(st.populationHits)));
    found_[1]->setText(QString::fromStdString(counterText(st.organizationHits)));
    found_[2]->setText(QString::fromStdString(counterText(st.cityCodeHits)));
}

void FieldSearchPanel::setTotals(const AreaTotals& t) {
    totals_[0]->setText(QString::fromStdString(counterText(t.population)));
    totals_[1]->setText(QString::fromStdString(counterText(t.organizations)));
    totals_[2]->setText(QString::fromStdString(counterText(t.cityCodes)));
}

void FieldSearchPanel::clearFields() {
    setQuery(FieldQueryText{});
    host_.session().clearCounters();
    showFoundCounters();
    host_.resetHistoryPosition();
}

void FieldSearchPanel::showLogEntry(int position) {
    const SearchLog& log = host_.searchLog();
    if (log.count <= 0 || position < 0 || position >= log.count) return;
    FieldQueryText q;
    logEntryQuery(log, position, q);
    setQuery(q);
}

void FieldSearchPanel::openSearchLog(int position) {
    BaseSet& set = host_.baseSet();
    if (!set.settings) return;
    SearchLogChoice choice;
    const int chosen =
        runSearchLogDialog(this, host_.searchLog(), *set.settings, position, &choice);
    if (chosen < 0) return;
    setQuery(choice.query);
    if (choice.search) fieldSearchNow(false);
}

void FieldSearchPanel::fieldSearchNow(bool focusedFieldOnly) {
    SearchSession& session = host_.session();
    FieldQueryText q = query();
    if (focusedFieldOnly) {
        const int f = host_.searchFocus();
        for (int k = 1; k <= kFieldCount; ++k)
            if (f < 1 || f > 7 || k != kFieldOfFocus[f]) q.slot(k)[0] = '\0';
        session.interrupt();
    }
    if (q.empty()) {
        host_.focusSearchField(-1);
        return;
    }
    // Enter searches the text as it is: a pending start would only repeat it.
    background_.timer().stop();
    // The focused field alone is never what the background searched.
    const FieldSearchResult r = session.fieldSearch(q, host_.searchArea(), !focusedFieldOnly);
    showFoundCounters();
    SimilarOffer offer;
    const bool offers = r.hits == 0 && similarRequest(q, session.area().tables, offer.request);
    if (offers) {
        const RecordField slot = offer.request.source == NameSource::Surnames
                                     ? RecordField::Name
                                     : RecordField::Organization;
        offer.runWith = [this, slot, focusedFieldOnly](const std::string& name) {
            FieldQueryText changed = query();
            changed.set(static_cast<int>(slot), name.c_str());
            setQuery(changed);
            fieldSearchNow(focusedFieldOnly);
        };
    }
    host_.showResults(session.state(), -1, offers ? &offer : nullptr);
    if (r.logged) host_.resetHistoryPosition();
    host_.focusSearchField(-1);
}

void FieldSearchPanel::escape() {
    if (query().empty()) {
        host_.minimizeWindow();
        return;
    }
    clearFields();
    host_.focusSearchField(-1);
}

void FieldSearchPanel::addToBase() {
    // The record editor takes this record when it comes; until then the
    // panel's part ends with the refresh.
    host_.addToBase(recordFromQuery(query(), host_.tableMaskFromBar()));
    host_.focusSearchField(-1);
}

void FieldSearchPanel::moveFocus(int from, int (*step)(int, PanelOrientation)) {
    // Disabled inputs (city codes) are passed over in the same direction.
    int to = step(from, orientation_);
    for (int guard = 0; guard < 7 && !inputs_[to]->isEnabled(); ++guard)
        to = step(to, orientation_);
    inputs_[to]->setFocus(Qt::TabFocusReason);
}

void FieldSearchPanel::runCommand(int id) {
    const int f = focusOf(focusWidget());
    switch (id) {
    case cmd::FieldSearchNow:
        fieldSearchNow(QGuiApplication::keyboardModifiers() & Qt::ControlModifier);
        break;
    case cmd::PanelEscape:
        escape();
        break;
    case cmd::ClearFieldsButton:
        clearFields();
        host_.focusSearchField(-1);
        break;
    case cmd::AddToBase:
        addToBase();
        break;
    case cmd::NextField:
        if (f > 0) moveFocus(f, fieldBelow);
        break;
    case cmd::PreviousField:
        if (f > 0) moveFocus(f, fieldAbove);
        break;
    default:
        host_.runCommand(id);
        break;
    }
}

bool FieldSearchPanel::eventFilter(QObject* watched, QEvent* event) {
    const int f = focusOf(watched);
    if (f < 0) return false;
    if (event->type() == QEvent::FocusIn) {
        host_.focusChanged(f);
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* e = inputs_[f];
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        if (key->key() == Qt::Key_Right && e->cursorPosition() == e->text().size() &&
            !e->hasSelectedText()) {
            moveFocus(f, [](int a, PanelOrientation) { return fieldAfter(a); });
            return true;
        }
        if (key->key() == Qt::Key_Left && e->cursorPosition() == 0 && !e->hasSelectedText()) {
            moveFocus(f, [](int a, PanelOrientation) { return fieldBefore(a); });
            return true;
        }
    }
    return false;
}

void FieldSearchPanel::contextMenuEvent(QContextMenuEvent* event) {
    // The panel's own context menu.
    struct Item {
        int id;
        const char* text;
    };
    static constexpr Item kItems[] = {{cmd::EditRecords, "Редактировать"},
                                      {cmd::AddToBase, "Добавить в базу"},
                                      {cmd::SearchLogDialog, "Журнал поиска"},
                                      {cmd::FileInfo, "Информация"},
                                      {cmd::ConnectFiles, "Подключаемые файлы"},
                                      {cmd::Settings, "Настройки"},
                                      {cmd::CaseSensitive, "Поиск с учетом регистра"}};
    QMenu menu(this);
    for (const Item& item : kItems) {
        QAction* a = menu.addAction(item.text);
        a->setData(item.id);
        if (item.id == cmd::CaseSensitive) {
            a->setCheckable(true);
            const ProgramSettings* s = host_.baseSet().settings;
            a->setChecked(s && s->caseSensitive == 1);
        }
    }
    QAction* chosen = menu.exec(event->globalPos());
    if (!chosen) return;
    const int id = chosen->data().toInt();
    if (id == cmd::AddToBase)
        addToBase();
    else
        host_.runCommand(id);
}

} // namespace talsk
