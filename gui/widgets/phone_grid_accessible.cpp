#include "gui/widgets/phone_grid_accessible.h"

#include "gui/widgets/accessible_leaf.h"
#include "gui/widgets/phone_grid.h"
#include "gui/widgets/text.h"

#include <QAccessible>
#include <QHeaderView>
#include <QScrollBar>

namespace talsk {

namespace {

// One cell, or a column title (row -1). Cells hold no text: they read the
// grid's row as it is when asked, so sorting needs no new cells.
class GridCellAccessible : public AccessibleLeaf, public QAccessibleTableCellInterface {
public:
    GridCellAccessible(CPhoneGrid* grid, int row, int column)
        : AccessibleLeaf(grid), grid_(grid), row_(row), column_(column) {}

    bool isValid() const override {
        return grid_ != nullptr && column_ < grid_->model().columnCount() &&
               row_ < grid_->model().rowCount();
    }

    QString text(QAccessible::Text t) const override {
        if (!isValid() || t != QAccessible::Name) return {};
        if (row_ < 0) return grid_->columnFullTitle(column_);
        return fromCp1251(grid_->model().cellText(row_, column_));
    }

    QAccessible::Role role() const override {
        return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }

    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        const PhoneGridModel& m = grid_->model();
        if (!grid_->isEnabled()) st.disabled = true;
        if (row_ < 0) return st;
        st.selectable = true;
        st.multiSelectable = true;
        st.focusable = true;
        st.selected = m.isSelected(row_);
        st.focused = row_ == m.currentRow() && column_ == 0 && grid_->hasFocus();
        if (row_ < m.firstRow() || row_ >= m.firstRow() + m.pageRows()) {
            st.offscreen = true;
            st.invisible = true;
        }
        return st;
    }

    QRect rect() const override {
        if (!isValid()) return {};
        const PhoneGridModel& m = grid_->model();
        const int x = m.columnLeft(column_) - m.horizontalOffset();
        const int width = m.columnWidth(column_);
        if (row_ < 0) {
            const QHeaderView* header = grid_->header();
            return {header->mapToGlobal(QPoint(x, 0)), QSize(width, header->height())};
        }
        const int y = (row_ - m.firstRow()) * m.rowHeight();
        return {grid_->viewport()->mapToGlobal(QPoint(x, y)), QSize(width, m.rowHeight())};
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface && row_ >= 0)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface.
    bool isSelected() const override { return isValid() && grid_->model().isSelected(row_); }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        const auto* table = dynamic_cast<const GridAccessible*>(parent());
        return table != nullptr ? QList<QAccessibleInterface*>{table->headerCell(column_)}
                                : QList<QAccessibleInterface*>{};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    int row() const { return row_; }
    int column() const { return column_; }
    const CPhoneGrid* grid() const { return grid_.data(); }

private:
    QPointer<CPhoneGrid> grid_;
    int row_;
    int column_;
};

qint64 cellKey(int row, int column) {
    return (static_cast<qint64>(row) + 1) * PhoneGridModel::kMaxColumns + column;
}

} // namespace

GridAccessible::GridAccessible(CPhoneGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

GridAccessible::~GridAccessible() {
    forgetCells();
}

CPhoneGrid* GridAccessible::grid() const {
    return static_cast<CPhoneGrid*>(widget());
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State GridAccessible::state() const {
    QAccessible::State st = QAccessibleWidget::state();
    st.multiSelectable = true;
    st.extSelectable = true;
    return st;
}

int GridAccessible::childCount() const {
    return (rowCount() + 1) * columnCount();
}

int GridAccessible::childIndex(int row, int column) const {
    return (row + 1) * columnCount() + column;
}

QAccessibleInterface* GridAccessible::child(int index) const {
    const int columns = columnCount();
    if (index < 0 || columns == 0 || index >= childCount()) return nullptr;
    return cell(index / columns - 1, index % columns);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* c = dynamic_cast<const GridCellAccessible*>(child);
    if (c == nullptr || c->grid() != grid() || !c->isValid()) return -1;
    return childIndex(c->row(), c->column());
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const {
    const PhoneGridModel& m = grid()->model();
    const QPoint p = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    const int cx = p.x() + m.horizontalOffset();
    int column = -1;
    for (int c = 0; c < m.columnCount(); ++c)
        if (cx >= m.columnLeft(c) && cx < m.columnRight(c)) column = c;
    if (column < 0) return nullptr;
    const int clientY = p.y() + m.headerHeight();
    if (clientY >= 0 && clientY < m.headerHeight()) return headerCell(column);
    const int row = m.rowAt(clientY);
    return row >= 0 && row < m.rowCount() ? cell(row, column) : nullptr;
}

QAccessibleInterface* GridAccessible::focusChild() const {
    const int row = grid()->model().currentRow();
    if (!grid()->hasFocus() || row < 0 || row >= rowCount() || columnCount() == 0) return nullptr;
    return cell(row, 0);
}

QAccessibleInterface* GridAccessible::headerCell(int column) const {
    return cell(-1, column);
}

QAccessibleInterface* GridAccessible::cell(int row, int column) const {
    if (row < -1 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
    const qint64 key = cellKey(row, column);
    if (const auto it = cells_.constFind(key); it != cells_.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto* made = new GridCellAccessible(grid(), row, column);
    cells_.insert(key, QAccessible::registerAccessibleInterface(made));
    return made;
}

void GridAccessible::forgetCells() {
    for (const QAccessible::Id id : std::as_const(cells_))
        QAccessible::deleteAccessibleInterface(id);
    cells_.clear();
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const {
    return row >= 0 ? cell(row, column) : nullptr;
}

int GridAccessible::selectedCellCount() const {
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> out;
    for (const int row : selectedRows())
        for (int c = 0; c < columnCount(); ++c)
            out.append(cell(row, c));
    return out;
}

QString GridAccessible::columnDescription(int column) const {
    return grid()->columnFullTitle(column);
}

int GridAccessible::selectedRowCount() const {
    return grid()->model().selectedCount();
}

int GridAccessible::columnCount() const {
    return grid()->model().columnCount();
}

int GridAccessible::rowCount() const {
    return grid()->model().rowCount();
}

QList<int> GridAccessible::selectedRows() const {
    QList<int> out;
    const PhoneGridModel& m = grid()->model();
    for (int row = 0; row < m.rowCount(); ++row)
        if (m.isSelected(row)) out.append(row);
    return out;
}

bool GridAccessible::isRowSelected(int row) const {
    return grid()->model().isSelected(row);
}

// Adding and removing one row is what a Ctrl+click does.
bool GridAccessible::selectRow(int row) {
    if (row < 0 || row >= rowCount()) return false;
    if (!isRowSelected(row)) grid()->select(row, PhoneGridModel::kControl, true);
    return true;
}

bool GridAccessible::unselectRow(int row) {
    if (row < 0 || row >= rowCount()) return false;
    if (isRowSelected(row)) grid()->select(row, PhoneGridModel::kControl, true);
    return true;
}

// Cells name rows by number; after any change of rows or columns the old
// ones would name other records.
void GridAccessible::modelChange(QAccessibleTableModelChangeEvent*) {
    forgetCells();
}

void notifyGridReset(CPhoneGrid& grid) {
    if (!QAccessible::isActive()) return;
    QAccessibleTableModelChangeEvent event(&grid, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&event);
}

void notifyGridCurrentRow(CPhoneGrid& grid, int row) {
    if (!QAccessible::isActive()) return;
    auto* table = dynamic_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(&grid));
    if (table == nullptr || row < 0 || row >= table->rowCount() || table->columnCount() == 0)
        return;
    const int index = table->childIndex(row, 0);
    QAccessibleEvent selection(&grid, QAccessible::Selection);
    selection.setChild(index);
    QAccessible::updateAccessibility(&selection);
    if (!grid.hasFocus()) return; // the caret of the search fields stays where it is
    QAccessibleEvent focus(&grid, QAccessible::Focus);
    focus.setChild(index);
    QAccessible::updateAccessibility(&focus);
}

void notifyGridSelection(CPhoneGrid& grid) {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(&grid, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&event);
}

} // namespace talsk
