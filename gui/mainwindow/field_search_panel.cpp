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
    auto* typing = new LayoutTypingFilter(host_.baseSet(), &host_.settings(), this);
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
    fitMinimum();
    layOut();
}

void FieldSearchPanel::resizeEvent(QResizeEvent*) {
    layOut();
}

// The horizontal row in pixels: what its parts need to show their texts
// whole. The inputs are what gives way when the panel is narrower than its
// layout (large fonts, a narrow window).
FieldSearchPanel::RowMeasures FieldSearchPanel::rowMeasures() const {
    const double bx = bx_;
    auto textWidth = [](const QLabel* l) { return l->sizeHint().width(); };
    RowMeasures m;
    m.gap = int(4 * bx);
    m.left = int(20 * bx);
    m.streetText = textWidth(street_);
    int labels = m.streetText + m.gap + textWidth(houseUnit_);
    for (const QLabel* l : {comment_, surname_, organization_, phone_})
        labels = std::max(labels, textWidth(l));
    m.labelsEnd = m.left + labels + m.gap * 2;
    // The telephone shares its row with the whole "Очистка" button.
    m.inputsLeast = std::max(int(120 * bx), clear_->sizeHint().width() + int(50 * bx));
    // 75 units apart, or the widest button's width when that is more; packed
    // side by side when even that leaves no room.
    int button = int(72 * bx);
    m.packedPictures = 0;
    for (QWidget* p : pictures_) {
        button = std::max(button, p->sizeHint().width());
        m.packedPictures += p->sizeHint().width() + int(3 * bx);
    }
    m.pictureStep = std::max(int(75 * bx), button + int(3 * bx));
    for (const QLabel* l : rowLabels_)
        m.rowText = std::max(m.rowText, textWidth(l));
    m.column = std::max(int(55 * bx), textWidth(foundTitle_) + m.gap * 2);
    m.totalColumn =
        std::max(textWidth(totalTitle_),
                 totals_[0]->fontMetrics().horizontalAdvance(QStringLiteral("000000"))) +
        m.gap;
    return m;
}

int FieldSearchPanel::RowMeasures::leftLeast(double bx) const {
    return std::max(labelsEnd + inputsLeast + int(3 * bx), packedPictures + int(2 * bx));
}

int FieldSearchPanel::RowMeasures::countersLeast(double bx) const {
    return int(10 * bx) + rowText + gap * 2 + column + totalColumn;
}

int FieldSearchPanel::leastRowWidth() const {
    const RowMeasures m = rowMeasures();
    return m.leftLeast(bx_) + m.countersLeast(bx_);
}

void FieldSearchPanel::fitMinimum() {
    if (orientation_ == PanelOrientation::Horizontal)
        setMinimumSize(std::min(leastRowWidth(), sizeFor(orientation_).width()),
                       sizeFor(orientation_).height());
    else
        setMinimumSize(sizeFor(orientation_));
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
        const RowMeasures m = rowMeasures();
        // The separator at 490 units, further left when the counters need
        // the room, never into the inputs' least width.
        const int sep =
            std::max(m.leftLeast(bx), std::min(int(490 * bx), width() - m.countersLeast(bx)));
        // Each button as wide as its own face, so that a picture stays by its
        // caption. From 110 units, or further left when the last would cross
        // the separator into the record information.
        const int last = int(pictures_.size()) - 1;
        const int rowEnd = sep - int(2 * bx);
        const int spread = m.pictureStep * last + pictures_[last]->sizeHint().width();
        int x = std::max(0, std::min(int(110 * bx), rowEnd - spread));
        for (size_t i = 0; i < pictures_.size(); ++i) {
            const int w = pictures_[i]->sizeHint().width();
            pictures_[i]->setGeometry(x, 0, w, int(29 * by));
            x += spread <= rowEnd ? m.pictureStep : w + int(3 * bx);
        }
        hLine_->setGeometry(0, int(30 * by), sep, int(2 * by));
        vLine_->setGeometry(sep, 0, int(2 * bx), int(156 * by));
        // The inputs start at 150 units, or later when a label needs the
        // room; their right edge stays by the separator.
        const int inputsEnd = sep - int(3 * bx);
        const int gap = m.gap, left = m.left;
        const int ix = std::max(m.labelsEnd, std::min(int(150 * bx), inputsEnd - m.inputsLeast));
        const int w = inputsEnd - ix, h = int(21 * by);
        auto at = [&](double units) { return int(units * by); };
        auto labelAt = [&](QLabel* l, int lx, int y, int cx) {
            const int hText = l->sizeHint().height();
            l->setGeometry(lx, y + (h - hText) / 2, cx, hText);
        };
        const int rowComment = at(35), rowSurname = at(60), rowStreet = at(83), rowOrg = at(106),
                  rowPhone = at(129);
        labelAt(comment_, left, rowComment, ix - left);
        inputs_[kFocusComment]->setGeometry(ix, rowComment, w, h);
        labelAt(surname_, left, rowSurname, ix - left);
        inputs_[kFocusSurname]->setGeometry(ix, rowSurname, w, h);
        labelAt(street_, left, rowStreet, m.streetText);
        labelAt(houseUnit_, left + m.streetText + gap, rowStreet, ix - left - m.streetText - gap);
        const int fifth = w / 5;
        inputs_[kFocusStreet]->setGeometry(ix, rowStreet, w - 2 * fifth - gap, h);
        inputs_[kFocusHouse]->setGeometry(ix + w - 2 * fifth, rowStreet, fifth - gap, h);
        inputs_[kFocusApartment]->setGeometry(ix + w - fifth, rowStreet, fifth, h);
        labelAt(organization_, left, rowOrg, ix - left);
        inputs_[kFocusOrganization]->setGeometry(ix, rowOrg, w, h);
        labelAt(phone_, left, rowPhone, ix - left);
        const int clearWidth = std::max(w - w / 2 - gap / 2, clear_->sizeHint().width());
        inputs_[kFocusPhone]->setGeometry(ix, rowPhone, w - clearWidth - gap, h);
        clear_->setGeometry(ix + w - clearWidth, rowPhone, clearWidth, h);
        // The counters: "Найдено" 80 units after the information text and
        // "Всего " a column later, or closer when the room is short, never
        // over the row labels.
        const int infoX = sep + int(10 * bx);
        info_->setGeometry(infoX, int(9 * by), std::max(0, width() - infoX - int(5 * bx)),
                           int(46 * by));
        const int roomForFound = width() - infoX - m.column - m.totalColumn;
        const int foundX =
            infoX + std::max(m.rowText + gap * 2, std::min(int(80 * bx), roomForFound));
        const int totalX = foundX + m.column;
        labelAt(foundTitle_, foundX, at(60), m.column);
        labelAt(totalTitle_, totalX, at(60), std::max(m.column, width() - totalX));
        for (int k = 0; k < 3; ++k) {
            const int y = rowStreet + at(23 * k);
            labelAt(rowLabels_[k], infoX, y, foundX - infoX);
            labelAt(found_[k], foundX, y, m.column);
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
        fitMinimum(); // the labels' widths follow their new texts
        layOut();
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
    fitMinimum();
    layOut();
}

void FieldSearchPanel::clearFoundCounters() {
    // Set, not cleared: only a new text tells a screen reader of the change.
    for (QLabel* l : found_)
        l->setText(QString());
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
    SearchLogChoice choice;
    const int chosen =
        runSearchLogDialog(this, host_.searchLog(), host_.settings(), position, &choice);
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
            a->setChecked(host_.settings().caseSensitive == 1);
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
