#pragma once
// The results grid as a table for assistive technology: rows and columns of
// the hits, the column titles, each cell's text as shown, the current row as
// the focused cell and the selected rows as the selection.

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace talsk {

class CPhoneGrid;

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(CPhoneGrid* grid);
    ~GridAccessible() override;

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // The child index of a cell; row -1 is the column header.
    int childIndex(int row, int column) const;
    QAccessibleInterface* headerCell(int column) const;

    // QAccessibleTableInterface.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

private:
    CPhoneGrid* grid() const;
    QAccessibleInterface* cell(int row, int column) const;
    void forgetCells();

    mutable QHash<qint64, QAccessible::Id> cells_;
};

// What a screen reader is told when the grid changes; nothing is done while
// no assistive technology listens.
void notifyGridReset(CPhoneGrid& grid);
void notifyGridCurrentRow(CPhoneGrid& grid, int row);
void notifyGridSelection(CPhoneGrid& grid);

} // namespace talsk
