#pragma once
// The results grid apart from drawing: columns, rows of cell pointers,
// selection, scroll position, hover and what the mouse and the keys do to them.
// Cells point into Windows-1251 text the caller keeps alive; nothing is copied.
// Coordinates are those of the grid's client area, header included (y = 0 is
// the top of the header).

#include "base/records.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace talsk {

// The last sorted column and the direction toggle, shared by every grid of
// the program so that a repeated sort flips the direction.
struct GridSortState {
    int lastColumn = -1;
    int toggle = 0; // 0 ascending, 1 descending
};

class PhoneGridModel {
public:
    static constexpr int kMaxColumns = 16;
    // The address column holds street, house and unit as three consecutive
    // NUL-terminated strings (fields 3 to 5 of a packed record).
    static constexpr int kAddressColumn = 2;
    static constexpr int kBaseLineHeight = 16;

    // Cell alignment, in the values of the text drawing flags.
    static constexpr uint32_t kAlignLeft = 0;
    static constexpr uint32_t kAlignCenter = 1;
    static constexpr uint32_t kAlignRight = 2;

    // Modifier keys of a selection or a mouse message.
    static constexpr unsigned kShift = 1;
    static constexpr unsigned kControl = 2;

    enum class Key { Up, Down, PageUp, PageDown, Home, End };
    enum class Scroll { LineBack, LineForward, PageBack, PageForward, Thumb, Start, End, Done };
    enum class Look { Normal, Selected, Hover };

    // Called after every select with the new current row (-1 possible).
    void setSelectListener(std::function<void(int)> listener) { onSelect_ = std::move(listener); }

    // Columns.
    void setColumnCount(int n);
    int columnCount() const { return columnCount_; }
    void setColumnWidth(int column, int pixels);
    int columnWidth(int column) const;
    // Left and right edges of a column (unscrolled pixels).
    int columnLeft(int column) const;
    int columnRight(int column) const;
    int totalWidth() const { return totalWidth_; }
    void setColumnFraction(float fraction, int column);
    float columnFraction(int column) const;
    // The least width of a shown column (0 = none), so that its text is never
    // cut; a column given 0 pixels stays hidden.
    void setColumnMinimum(int column, int pixels);
    int columnMinimum(int column) const;
    // Widths from the fractions of every column and a client width; what a
    // column needs beyond its share comes out of the widest one.
    void applyFractions(int clientWidth);
    void setColumnFormat(int column, uint32_t format);
    uint32_t columnFormat(int column) const;

    // Rows and cells.
    void setRowCount(int n);
    int rowCount() const { return rowCount_; }
    void setCell(int row, int column, const char* text);
    const char* cell(int row, int column) const;
    // Columns 0..4 from fields 1, 2, 3, 6 and 7 of a record read in place.
    void setFieldCells(int row, const FieldPointers& fields);
    void setPayload(int row, uint64_t payload);
    uint64_t payload(int row) const;
    // The address cell as shown: street, "  " house, " - " unit.
    static std::string addressText(const char* cell);
    // A cell's text as shown (Windows-1251); empty outside the grid.
    std::string cellText(int row, int column) const;
    // The most characters any row shows in a column.
    size_t longestCell(int column) const;

    // Selection.
    void select(int row, unsigned modifiers);
    int currentRow() const { return currentRow_; }
    int anchorRow() const { return anchorRow_; }
    bool isSelected(int row) const;
    void selectAll();
    void invertSelection();
    void clearSelection();
    int firstSelected() const;
    int lastSelected() const;
    int selectedCount() const;
    bool moreThanOneSelected() const;
    void goToRow(int row, bool selectIt);
    void deleteRow(int row, bool reselect);
    void deleteSelectedRows();

    // Sorting by a column; repeated calls on one column alternate the direction.
    void sortByColumn(int column, GridSortState& state);

    // Geometry. Heights apply at the next layout.
    void setLineHeights(int header, int row);
    int headerHeight() const { return headerHeight_; }
    int rowHeight() const { return rowHeight_; }
    void layout(int clientWidth, int clientHeight);
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    int visibleWidth() const { return visibleWidth_; }
    int pageRows() const { return pageRows_; }
    int firstRow() const { return firstRow_; }
    int horizontalOffset() const { return horizontalOffset_; }
    int verticalMaximum() const { return rowCount_ - pageRows_; }
    int horizontalMaximum() const { return totalWidth_ - visibleWidth_; }
    bool horizontalBarShown() const { return visibleWidth_ < totalWidth_; }
    bool verticalBarShown() const { return pageRows_ < rowCount_; }
    // Where a scroll request leads, kept in range.
    int verticalTarget(Scroll request, int thumb = 0) const;
    int horizontalTarget(Scroll request, int thumb = 0) const;
    // Applies a scroll request; returns the change (rows or pixels).
    int scrollVertical(Scroll request, int thumb = 0);
    int scrollHorizontal(Scroll request, int thumb = 0);
    // Rows painted from the first row on: whole rows only at the data's end.
    int rowsToDraw() const;

    // Hit testing.
    int rowAt(int y) const;
    bool inRowsArea(int x, int y) const;
    bool onDataRow(int x, int y) const;

    // Input. Each returns true when the rows need repainting.
    bool pressLeft(int x, int y, unsigned modifiers); // true also: take the focus
    void releaseLeft() { buttonDownInRows_ = false; }
    bool moveMouse(int x, int y, unsigned modifiers, bool leftDown);
    bool leaveMouse();
    bool pressRight(int x, int y, unsigned modifiers);
    // The row a double click opens, or -1.
    int doubleClickRow(int x, int y) const;
    // Keys of the navigation table; shift = Shift held.
    void pressKey(Key key, bool shift);

    // Hover.
    void setHoverTracking(bool on);
    bool hoverTracking() const { return hoverTracking_; }
    int hoverRow() const { return hoverRow_; }
    bool leaveTrackingArmed() const { return leaveArmed_; }
    bool buttonDownInRows() const { return buttonDownInRows_; }
    Look look(int row) const;

    void setGridLines(bool on) { gridLines_ = on; }
    bool gridLines() const { return gridLines_; }
    void setAutoWidth(bool on) { autoWidth_ = on; }
    bool autoWidth() const { return autoWidth_; }

private:
    void computeEdges();
    void clampScroll();
    void scrollRowIntoView(int row);
    void setHover(int row);
    void removeRows(const std::vector<uint8_t>& doomed);
    void reselectAfterDelete();
    bool validRow(int row) const { return row >= 0 && row < rowCount_; }

    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int visibleWidth_ = 0;
    int pageRows_ = 0;
    int horizontalOffset_ = 0;
    int firstRow_ = 0;
    int totalWidth_ = 0;
    int columnCount_ = 0;
    int currentRow_ = -1;
    int hoverRow_ = -1;
    int anchorRow_ = -1;
    int rowCount_ = 0;
    int headerHeight_ = kBaseLineHeight;
    int rowHeight_ = kBaseLineHeight;
    std::array<uint32_t, kMaxColumns> format_{};
    bool buttonDownInRows_ = false;
    bool leaveArmed_ = false;
    bool hoverTracking_ = false;
    bool gridLines_ = true;
    bool autoWidth_ = false;
    std::vector<uint8_t> selected_;
    std::array<int16_t, kMaxColumns> width_{};
    std::array<int16_t, kMaxColumns> minimum_{};
    std::array<int16_t, kMaxColumns> edge_{};
    std::array<float, kMaxColumns> fraction_{};
    std::array<std::vector<const char*>, kMaxColumns> cells_;
    std::vector<uint64_t> payload_;
    std::function<void(int)> onSelect_;
};

} // namespace talsk
