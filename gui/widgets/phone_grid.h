#pragma once
// CPhoneGrid: the read-only results grid. A header on top, rows of single-line
// cells below; it paints only the rows in view and holds no text of its own:
// cells point into Windows-1251 text that the owner keeps alive.

#include "gui/widgets/phone_grid_model.h"

#include <QAbstractScrollArea>

class QHeaderView;
class QStandardItemModel;

namespace talsk {

class CPhoneGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kControlId = 0xE900;

    explicit CPhoneGrid(QWidget* parent = nullptr);
    ~CPhoneGrid() override;

    // Read access to rows, selection, widths and scroll position.
    const PhoneGridModel& model() const { return model_; }
    QHeaderView* header() const { return header_; }

    void setColumnCount(int n);
    // fullTitle: the whole title when the header shows it shortened.
    void setColumnTitle(int column, const QString& title, const QString& fullTitle = {});
    QString columnFullTitle(int column) const;
    // Keeps a column at least as wide as its whole title and the longest text
    // of its rows (digits are the widest characters such a column holds).
    void fitColumnToText(int column);
    // The same when the caller knows the longest text: `chars` characters.
    void fitColumnToLength(int column, size_t chars);
    void setColumnFormat(int column, uint32_t format, bool repaint);
    void setColumnWidth(int column, int pixels, bool repaint);
    void setColumnFraction(float fraction, int column);
    void setAutoWidth(bool on);
    void setHoverTracking(bool on);
    void setGridLines(bool on);

    void setRowCount(int n);
    void setCell(int row, int column, const char* text);
    void setCells(int row, const FieldPointers& fields);
    void setPayload(int row, uint64_t payload);

    void select(int row, unsigned modifiers, bool repaint);
    void goToRow(int row, bool selectIt);
    void selectAll();
    void invertSelection();
    void clearSelection();
    void deleteRow(int row, bool repaint);
    void deleteSelectedRows();
    void sortByColumn(int column);

Q_SIGNALS:
    void rowDoubleClicked(int row);
    void currentRowChanged(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void measureLines();
    void relayout();
    void syncScrollBars();
    void syncHeaderWidths();
    void takeHeaderWidths();
    void onScrollAction(Qt::Orientation orientation, int action);
    void paintRow(QPainter& painter, int row, int y) const;
    void paintFocusFrame(QPainter& painter) const;
    void rowsReset();
    QPoint clientPoint(const QPoint& viewportPoint) const;

    PhoneGridModel model_;
    QHeaderView* header_ = nullptr;
    QStandardItemModel* titles_ = nullptr;
    QSize lastClientSize_;
    bool settingWidths_ = false;
    bool syncingBars_ = false;
};

} // namespace talsk
