#include "gui/widgets/phone_grid.h"

#include "gui/widgets/accessibility.h"
#include "gui/widgets/phone_grid_accessible.h"
#include "gui/widgets/stock_font.h"
#include "gui/widgets/text.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleOptionHeader>
#include <QTimer>

#include <algorithm>

namespace talsk {

namespace {

const QColor kNormalText(0, 0, 0);
const QColor kNormalBack(255, 255, 255);
const QColor kSelectedText(255, 255, 255);
const QColor kSelectedBack(69, 69, 133);
const QColor kHoverText(0, 0, 0);
const QColor kHoverBack(243, 243, 253);
const QColor kGridLine(207, 207, 207);
const QColor kEmptyArea(143, 143, 143);

// One sort state for the whole program: a repeated sort of the same column
// flips the direction whichever grid asked.
GridSortState& sharedSortState() {
    static GridSortState state;
    return state;
}

Qt::Alignment cellAlignment(uint32_t format) {
    const Qt::Alignment horizontal = format == PhoneGridModel::kAlignCenter  ? Qt::AlignHCenter
                                     : format == PhoneGridModel::kAlignRight ? Qt::AlignRight
                                                                             : Qt::AlignLeft;
    return horizontal | Qt::AlignBottom;
}

unsigned modifiersOf(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? PhoneGridModel::kShift : 0u) |
           (modifiers & Qt::ControlModifier ? PhoneGridModel::kControl : 0u);
}

PhoneGridModel::Scroll scrollRequest(int action) {
    using S = PhoneGridModel::Scroll;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return S::LineBack;
    case QAbstractSlider::SliderSingleStepAdd:
        return S::LineForward;
    case QAbstractSlider::SliderPageStepSub:
        return S::PageBack;
    case QAbstractSlider::SliderPageStepAdd:
        return S::PageForward;
    case QAbstractSlider::SliderToMinimum:
        return S::Start;
    case QAbstractSlider::SliderToMaximum:
        return S::End;
    case QAbstractSlider::SliderMove:
        return S::Thumb;
    default:
        return S::Done;
    }
}

} // namespace

CPhoneGrid::CPhoneGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    installAccessibility();
    setFocusPolicy(Qt::TabFocus); // a click takes the focus only inside the rows
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    titles_ = new QStandardItemModel(0, 0, this);
    header_ = new QHeaderView(Qt::Horizontal, this);
    header_->setModel(titles_);
    header_->setMinimumSectionSize(0);
    header_->setStretchLastSection(false);
    header_->setSectionsClickable(true);
    header_->setHighlightSections(false);
    header_->setDefaultAlignment(Qt::AlignCenter);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    connect(header_, &QHeaderView::sectionClicked, this, &CPhoneGrid::sortByColumn);
    connect(header_, &QHeaderView::sectionResized, this, [this] {
        if (!settingWidths_) takeHeaderWidths();
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(Qt::Horizontal, action); });

    model_.setSelectListener([this](int row) {
        Q_EMIT currentRowChanged(row);
        notifyGridCurrentRow(*this, row);
    });
    setFont(stockFont()); // measures the lines
}

CPhoneGrid::~CPhoneGrid() = default;

// Header and row heights grow with the font so that no text is cut; at 96 dots
// per inch they are never below 16 pixels.
void CPhoneGrid::measureLines() {
    const int base = PhoneGridModel::kBaseLineHeight * logicalDpiY() / 96;
    header_->setFont(font());
    QStyleOptionHeader option;
    option.initFrom(header_);
    option.text = QStringLiteral("Ёу");
    const QSize section = header_->style()->sizeFromContents(
        QStyle::CT_HeaderSection, &option, QSize(0, header_->fontMetrics().height()), header_);
    const int headerHeight = std::max(base, section.height());
    const int rowHeight = std::max(base, fontMetrics().height() + 2);
    model_.setLineHeights(headerHeight, rowHeight);
    header_->setFixedHeight(headerHeight);
    setViewportMargins(0, headerHeight, 0, 0);
    relayout();
}

QPoint CPhoneGrid::clientPoint(const QPoint& viewportPoint) const {
    return {viewportPoint.x(), viewportPoint.y() + model_.headerHeight()};
}

void CPhoneGrid::relayout() {
    model_.layout(viewport()->width(), viewport()->height() + model_.headerHeight());
    const QRect area = viewport()->geometry();
    header_->setGeometry(area.x(), area.y() - model_.headerHeight(), area.width(),
                         model_.headerHeight());
    syncScrollBars();
    viewport()->update();
}

void CPhoneGrid::syncScrollBars() {
    syncingBars_ = true;
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, model_.verticalBarShown() ? model_.verticalMaximum() : 0);
    vertical->setPageStep(std::max(model_.pageRows(), 1));
    vertical->setSingleStep(1);
    vertical->setValue(model_.firstRow());
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, model_.horizontalBarShown() ? model_.horizontalMaximum() : 0);
    horizontal->setPageStep(std::max(model_.visibleWidth(), 1));
    horizontal->setSingleStep(1);
    horizontal->setValue(model_.horizontalOffset());
    header_->setOffset(model_.horizontalOffset());
    syncingBars_ = false;
}

// The scroll bar's own step sizes are replaced by the grid's: rows vertically,
// pixels and window widths horizontally.
void CPhoneGrid::onScrollAction(Qt::Orientation orientation, int action) {
    const PhoneGridModel::Scroll request = scrollRequest(action);
    if (request == PhoneGridModel::Scroll::Done) return;
    if (orientation == Qt::Vertical) {
        QScrollBar* bar = verticalScrollBar();
        bar->setSliderPosition(model_.verticalTarget(request, bar->sliderPosition()));
    } else {
        QScrollBar* bar = horizontalScrollBar();
        bar->setSliderPosition(model_.horizontalTarget(request, bar->sliderPosition()));
    }
}

// The bars moved (by the user, the wheel or syncScrollBars): move the pixels
// already drawn and paint only the strip that comes into view.
void CPhoneGrid::scrollContentsBy(int, int) {
    if (syncingBars_) return;
    const int rows =
        model_.scrollVertical(PhoneGridModel::Scroll::Thumb, verticalScrollBar()->value());
    const int pixels =
        model_.scrollHorizontal(PhoneGridModel::Scroll::Thumb, horizontalScrollBar()->value());
    header_->setOffset(model_.horizontalOffset());
    viewport()->scroll(-pixels, -rows * model_.rowHeight());
}

void CPhoneGrid::syncHeaderWidths() {
    settingWidths_ = true;
    for (int c = 0; c < model_.columnCount(); ++c)
        header_->resizeSection(c, std::max(model_.columnWidth(c), 0));
    settingWidths_ = false;
}

void CPhoneGrid::takeHeaderWidths() {
    for (int c = 0; c < model_.columnCount(); ++c)
        model_.setColumnWidth(c, header_->sectionSize(c));
    relayout();
}

void CPhoneGrid::setColumnCount(int n) {
    model_.setColumnCount(n);
    settingWidths_ = true; // new header items come with the header's own width
    titles_->setColumnCount(model_.columnCount());
    settingWidths_ = false;
    syncHeaderWidths();
    relayout();
    rowsReset();
}

void CPhoneGrid::setColumnTitle(int column, const QString& title, const QString& fullTitle) {
    titles_->setHeaderData(column, Qt::Horizontal, title);
    titles_->setHeaderData(column, Qt::Horizontal, fullTitle.isEmpty() ? title : fullTitle,
                           Qt::AccessibleTextRole);
}

QString CPhoneGrid::columnFullTitle(int column) const {
    return titles_->headerData(column, Qt::Horizontal, Qt::AccessibleTextRole).toString();
}

void CPhoneGrid::fitColumnToText(int column) {
    if (column < 0 || column >= model_.columnCount()) return;
    fitColumnToLength(column, model_.longestCell(column));
}

void CPhoneGrid::fitColumnToLength(int column, size_t chars) {
    if (column < 0 || column >= model_.columnCount()) return;
    const int margin = header_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header_);
    const int title =
        header_->fontMetrics().horizontalAdvance(columnFullTitle(column)) + 2 * margin + 2;
    int digit = 0;
    for (char16_t c = u'0'; c <= u'9'; ++c)
        digit = std::max(digit, fontMetrics().horizontalAdvance(QChar(c)));
    const int cells = static_cast<int>(chars) * digit + 4;
    model_.setColumnMinimum(column, std::max(title, cells));
    if (model_.autoWidth()) model_.applyFractions(viewport()->width());
    syncHeaderWidths();
    relayout();
}

void CPhoneGrid::setColumnFormat(int column, uint32_t format, bool repaint) {
    model_.setColumnFormat(column, format);
    if (repaint) viewport()->update();
}

void CPhoneGrid::setColumnWidth(int column, int pixels, bool repaint) {
    model_.setColumnWidth(column, pixels);
    syncHeaderWidths();
    if (repaint) relayout();
}

void CPhoneGrid::setColumnFraction(float fraction, int column) {
    model_.setColumnFraction(fraction, column);
}

void CPhoneGrid::setAutoWidth(bool on) {
    model_.setAutoWidth(on);
    if (!on) return;
    model_.applyFractions(viewport()->width());
    syncHeaderWidths();
    relayout();
}

void CPhoneGrid::setHoverTracking(bool on) {
    model_.setHoverTracking(on);
    viewport()->update();
}

void CPhoneGrid::setGridLines(bool on) {
    model_.setGridLines(on);
    viewport()->update();
}

void CPhoneGrid::setRowCount(int n) {
    model_.setRowCount(n);
    relayout();
    rowsReset();
}

void CPhoneGrid::rowsReset() {
    notifyGridReset(*this);
}

void CPhoneGrid::setCell(int row, int column, const char* text) {
    model_.setCell(row, column, text);
}

void CPhoneGrid::setCells(int row, const FieldPointers& fields) {
    model_.setFieldCells(row, fields);
}

void CPhoneGrid::setPayload(int row, uint64_t payload) {
    model_.setPayload(row, payload);
}

void CPhoneGrid::select(int row, unsigned modifiers, bool repaint) {
    model_.select(row, modifiers);
    if (repaint) viewport()->update();
}

void CPhoneGrid::goToRow(int row, bool selectIt) {
    model_.goToRow(row, selectIt);
    syncScrollBars();
    viewport()->update();
}

void CPhoneGrid::selectAll() {
    model_.selectAll();
    viewport()->update();
    notifyGridSelection(*this);
}

void CPhoneGrid::invertSelection() {
    model_.invertSelection();
    viewport()->update();
    notifyGridSelection(*this);
}

void CPhoneGrid::clearSelection() {
    model_.clearSelection();
    viewport()->update();
    notifyGridSelection(*this);
}

void CPhoneGrid::deleteRow(int row, bool repaint) {
    model_.deleteRow(row, repaint);
    relayout();
    rowsReset();
}

void CPhoneGrid::deleteSelectedRows() {
    model_.deleteSelectedRows();
    relayout();
    rowsReset();
}

void CPhoneGrid::sortByColumn(int column) {
    model_.sortByColumn(column, sharedSortState());
    viewport()->update();
    rowsReset();
}

// Painting.

void CPhoneGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    const int width = viewport()->width();
    const int height = viewport()->height();
    const int rowHeight = model_.rowHeight();
    const int rowsRight = model_.totalWidth() - model_.horizontalOffset();
    const int drawn = model_.rowsToDraw();
    if (width > rowsRight) painter.fillRect(rowsRight, 0, width - rowsRight, height, kEmptyArea);
    if (drawn * rowHeight < height)
        painter.fillRect(0, drawn * rowHeight, width, height - drawn * rowHeight, kEmptyArea);

    const QRect dirty = event->rect();
    const int from = std::max(dirty.top() / rowHeight, 0);
    const int to = std::min(dirty.bottom() / rowHeight, drawn - 1);
    for (int i = from; i <= to; ++i)
        paintRow(painter, model_.firstRow() + i, i * rowHeight);
    if (hasFocus()) paintFocusFrame(painter);
}

// The keyboard's place: a dotted frame round the current row in the colour of
// its text, or round the rows' area while there is none.
void CPhoneGrid::paintFocusFrame(QPainter& painter) const {
    const int current = model_.currentRow();
    const int row = current - model_.firstRow();
    QRect frame;
    if (current < 0) {
        frame = viewport()->rect();
    } else if (row >= 0 && row < model_.rowsToDraw()) {
        const int width =
            std::min(model_.totalWidth() - model_.horizontalOffset(), viewport()->width());
        frame = QRect(0, row * model_.rowHeight(), width, model_.rowHeight());
    } else {
        return;
    }
    painter.setPen(QPen(model_.isSelected(current) ? kSelectedText : kNormalText, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

void CPhoneGrid::paintRow(QPainter& painter, int row, int y) const {
    const int offset = model_.horizontalOffset();
    const int rowWidth = model_.totalWidth() - offset;
    const int rowHeight = model_.rowHeight();
    if (rowWidth <= 0) return;
    const PhoneGridModel::Look look = model_.look(row);
    const bool isData = row < model_.rowCount();
    const QColor& back = look == PhoneGridModel::Look::Selected ? kSelectedBack
                         : look == PhoneGridModel::Look::Hover  ? kHoverBack
                                                                : kNormalBack;
    const QColor& ink = look == PhoneGridModel::Look::Selected ? kSelectedText
                        : look == PhoneGridModel::Look::Hover  ? kHoverText
                                                               : kNormalText;
    painter.fillRect(0, y, rowWidth, rowHeight, back);
    if (model_.gridLines()) {
        painter.setPen(kGridLine);
        painter.drawLine(0, y + rowHeight - 1, rowWidth - 1, y + rowHeight - 1);
        for (int c = 0; c < model_.columnCount(); ++c) {
            const int x = model_.columnRight(c) - offset - 1;
            painter.drawLine(x, y, x, y + rowHeight - 1);
        }
    }
    if (!isData) return;
    painter.setPen(ink);
    for (int c = 0; c < model_.columnCount(); ++c) {
        const char* text = model_.cell(row, c);
        const int left = model_.columnLeft(c) - offset + 1;
        const int right = model_.columnRight(c) - offset - 1;
        if (text == nullptr || text[0] == '\0' || right <= left) continue;
        if (right < 0 || left > viewport()->width()) continue;
        const QString shown = c == PhoneGridModel::kAddressColumn
                                  ? fromCp1251(PhoneGridModel::addressText(text))
                                  : fromCp1251(text);
        painter.drawText(QRect(left, y, right - left, rowHeight - 1),
                         cellAlignment(model_.columnFormat(c)) | Qt::TextSingleLine, shown);
    }
}

void CPhoneGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const QSize client(viewport()->width(), viewport()->height() + model_.headerHeight());
    if (client == lastClientSize_) return;
    lastClientSize_ = client;
    if (model_.autoWidth()) {
        model_.applyFractions(client.width());
        syncHeaderWidths();
    }
    relayout();
}

void CPhoneGrid::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && header_ != nullptr) measureLines();
}

void CPhoneGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // Coming in from the keyboard, the first row in view becomes the current
    // one, so that the caret is seen and read at once.
    const Qt::FocusReason reason = event->reason();
    const bool keyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                          reason == Qt::ShortcutFocusReason || reason == Qt::OtherFocusReason;
    if (keyboard && model_.currentRow() < 0 && model_.rowCount() > 0)
        select(model_.firstRow(), 0, false);
    viewport()->update();
    // After the window has told that the table has the focus: the cell.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus()) notifyGridCurrentRow(*this, model_.currentRow());
    });
}

void CPhoneGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// Input.

bool CPhoneGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave && model_.leaveMouse()) viewport()->update();
    return QAbstractScrollArea::viewportEvent(event);
}

void CPhoneGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint p = clientPoint(event->position().toPoint());
    const unsigned modifiers = modifiersOf(event->modifiers());
    if (event->button() == Qt::LeftButton) {
        if (model_.pressLeft(p.x(), p.y(), modifiers)) setFocus(Qt::MouseFocusReason);
    } else if (event->button() == Qt::RightButton) {
        model_.pressRight(p.x(), p.y(), modifiers);
    }
    viewport()->update();
}

void CPhoneGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) model_.releaseLeft();
}

void CPhoneGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = clientPoint(event->position().toPoint());
    const int firstRow = model_.firstRow();
    if (!model_.moveMouse(p.x(), p.y(), modifiersOf(event->modifiers()),
                          event->buttons() & Qt::LeftButton))
        return;
    if (model_.firstRow() != firstRow) syncScrollBars();
    viewport()->update();
}

void CPhoneGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = clientPoint(event->position().toPoint());
    const int row = model_.doubleClickRow(p.x(), p.y());
    if (row >= 0) Q_EMIT rowDoubleClicked(row);
}

void CPhoneGrid::keyPressEvent(QKeyEvent* event) {
    using K = PhoneGridModel::Key;
    K key;
    switch (event->key()) {
    case Qt::Key_Up:
        key = K::Up;
        break;
    case Qt::Key_Down:
        key = K::Down;
        break;
    case Qt::Key_PageUp:
        key = K::PageUp;
        break;
    case Qt::Key_PageDown:
        key = K::PageDown;
        break;
    case Qt::Key_Home:
        key = K::Home;
        break;
    case Qt::Key_End:
        key = K::End;
        break;
    default:
        event->ignore();
        return; // Left, Right and the rest go to the owner
    }
    model_.pressKey(key, event->modifiers() & Qt::ShiftModifier);
    syncScrollBars();
    viewport()->update();
    event->accept();
}

} // namespace talsk
